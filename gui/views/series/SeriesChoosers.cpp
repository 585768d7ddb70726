#include "views/series/SeriesChoosers.h"

#include <algorithm>
#include <cmath>

#include "doc/HammerDoc.h"
#include "model/Conversion.h"
#include "model/CurveStore.h"
#include "model/ModelTypes.h"
#include "text/Format.h"
#include "text/StringTable.h"
#include "views/series/SeriesText.h"

namespace SeriesChoosers {
namespace {

TChooserItem Item(std::u16string text, int id, int icon) {
    TChooserItem item;
    item.text = std::move(text);
    item.id = id;
    item.icon = icon;
    return item;
}

bool OlderFormatPresent(int formatState) {
    return formatState == 1 || formatState == 0;
}

bool Fits(const TConvCust& curve, bool typeN, bool typeL) {
    return (curve.UsableOnTypeN() && typeN) || (curve.UsableOnTypeL() && typeL);
}

}  // namespace

std::vector<TChooserItem> UnitItems(int formatState, bool rAndQOnly) {
    std::vector<TChooserItem> items;
    if (OlderFormatPresent(formatState)) items.push_back(Item(Model::GetUnitText(kUnitR), 1, 0));
    items.push_back(Item(Model::GetUnitText(kUnitQ), 2, 1));
    if (!rAndQOnly) {
        items.push_back(Item(Model::GetUnitText(kUnitNmm2), 3, 2));
        items.push_back(Item(Model::GetUnitText(kUnitKgCm2), 4, 3));
        items.push_back(Item(Model::GetUnitText(kUnitPSI), 5, 4));
        items.push_back(Item(Model::GetUnitText(kUnitMPa), 6, 5));
    }
    return items;
}

std::vector<TChooserItem> ModeItems() {
    struct SMode {
        std::uint8_t mode;
        int icon;
    };
    static constexpr SMode kModes[] = {
        {kModeMean, 2},     {kModeMedianOnly, 1}, {kModeMeanOutlier, 3},
        {kModeMedianEN, 5}, {kModeMeanASTM, 4},   {kModeMeanJGJ, 6},
    };
    std::vector<TChooserItem> items;
    for (const SMode& m : kModes) items.push_back(Item(Model::GetModeName(m.mode), m.mode, m.icon));
    return items;
}

std::vector<TChooserItem> CurveItems(int formatState, bool typeN, bool typeL,
                                     const std::vector<TConvCust>& store,
                                     const std::vector<TConvCust>& library) {
    std::vector<TChooserItem> items;
    if (formatState == 1) {
        if (typeN) items.push_back(Item(Model::GetCurveName(0), 1, 0));
        items.push_back(Item(Model::GetCurveName(1), 2, 1));
        items.push_back(Item(Model::GetCurveName(2), 3, 2));
        if (typeN) items.push_back(Item(Model::GetCurveName(3), 4, 3));
    } else if (formatState == 2) {
        items.push_back(Item(Model::GetCurveName(10), 11, -1));
        items.push_back(Item(Model::GetCurveName(13), 14, -1));
        items.push_back(Item(Model::GetCurveName(14), 15, -1));
        items.push_back(Item(Model::GetCurveName(15), 16, 8));
    }
    items.push_back(TChooserItem::Separator());

    // Curves from the hammer's slots first, then the others of the store.
    for (int pass = 0; pass < 2; ++pass) {
        for (const TConvCust& curve : store) {
            const int id = curve.Id;
            if (id < kFirstCustomCurveId || id > kLastPurgedCurveId || !Fits(curve, typeN, typeL)) continue;
            const bool onDevice = curve.OnDevice != 0;
            if ((pass == 0) != onDevice) continue;
            int icon = 4;
            if (onDevice) {
                // The slots C1 to C3 (50 to 52) have icons 5 to 7.
                icon = id - 45;
                if (icon > 8) icon = 4;
            }
            items.push_back(Item(curve.Name(), id + 1, icon));
        }
    }
    items.push_back(TChooserItem::Separator());

    for (std::size_t i = 0; i < library.size(); ++i) {
        const TConvCust& entry = library[i];
        if (!Fits(entry, typeN, typeL)) continue;
        const bool inStore = std::any_of(store.begin(), store.end(),
                                         [&](const TConvCust& c) { return c.IsEqualCurve(entry); });
        if (inStore) continue;
        items.push_back(Item(entry.Name(), kFirstLibraryItemId + static_cast<int>(i), 4));
    }
    return items;
}

std::vector<TChooserItem> FormItems(int formatState, bool inch) {
    std::vector<TChooserItem> items;
    if (formatState == 1 || formatState == -1) {
        for (std::uint8_t code = 0; code <= 9; ++code) {
            const double factor = Model::GetFormFactor(code, kNoValue);
            const int icon = code <= 2 ? 0 : (code <= 6 ? 1 : 2);
            items.push_back(
                Item(Text::Format(u"%s \t(* %0.2f)", Model::GetFormText(code, inch, factor), factor),
                     code + 1, icon));
        }
        return items;
    }
    items.push_back(Item(Text::LoadString(59574), 21, 3));
    items.push_back(Item(Text::Format(u"%s \t(100%%)", Model::GetFormText(4, inch, 1.0)), 22, 4));
    items.push_back(Item(Text::LoadString(59572) + u"...", kIdCustomFormFactor, 5));
    return items;
}

std::vector<TChooserItem> CarbonationItems(bool inch) {
    std::vector<TChooserItem> items;
    for (int code = 0; code <= 12; ++code) {
        std::u16string text =
            inch ? Text::Format(u"%1.0f/100", code * 2.0) + u"\"" : Text::Format(u"%0.1f mm", code * 0.5);
        items.push_back(Item(std::move(text), code + 1, -1));
    }
    return items;
}

TSliderSetup FormSlider(std::uint8_t currentCode) {
    TSliderSetup s;
    s.title = Text::LoadString(59570);
    s.unit = u"%";
    s.minimum = 80;
    s.maximum = 120;
    s.decimals = 0;
    s.step = 1;
    s.value = currentCode >= 80 ? currentCode : 100;
    return s;
}

TSliderSetup CarbonationSlider(std::uint8_t currentCode) {
    TSliderSetup s;
    s.title = Text::LoadString(59577);
    s.minimum = 0.5;
    s.maximum = 1.0;
    s.decimals = 2;
    s.step = 0.01;
    const int code = currentCode < 50 || currentCode > 100 ? 100 : currentCode;
    s.value = code / 100.0;
    return s;
}

TSliderSetup OutlierSlider(bool upper, int currentCount, int largestAllowed, const std::u16string& hint,
                           bool changeable) {
    TSliderSetup s;
    s.hint = hint;
    s.enabled = changeable;
    s.title = Text::LoadString(upper ? 59585 : 59586);
    s.minimum = 0;
    s.maximum = largestAllowed;
    s.decimals = 0;
    s.step = 1;
    s.value = currentCount;
    return s;
}

std::uint8_t CarbonationPercent(double factor) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(factor * 100.0), 0L, 255L));
}

}  // namespace SeriesChoosers

// --- Running them ----------------------------------------------------------------------------

bool CSeriesChoosers::ChooseUnit(const TChooserPlacement& where, bool rAndQOnly, std::uint8_t& value) {
    const int id = m_ui.RunChooserMenu(
        m_owner, EChooserStrip::kUnit,
        SeriesChoosers::UnitItems(m_doc.WorkingData().GetNewDataFormatState(), rAndQOnly), where);
    if (id <= 0) return false;
    value = static_cast<std::uint8_t>(id - 1);
    return true;
}

bool CSeriesChoosers::ChooseAveragingMode(const TChooserPlacement& where, std::uint8_t& value) {
    const int id = m_ui.RunChooserMenu(m_owner, EChooserStrip::kMode, SeriesChoosers::ModeItems(), where);
    if (id <= 0) return false;
    value = static_cast<std::uint8_t>(id);
    return true;
}

bool CSeriesChoosers::ChooseCurve(const TChooserPlacement& where, bool typeN, bool typeL, int& value) {
    const int id = m_ui.RunChooserMenu(
        m_owner, EChooserStrip::kCurve,
        SeriesChoosers::CurveItems(m_doc.WorkingData().GetNewDataFormatState(), typeN, typeL,
                                   CCurveStore::Instance().GetAll(), m_doc.CurveLibrary()),
        where);
    if (id <= 0) return false;
    value = id - 1;
    return true;
}

bool CSeriesChoosers::ChooseFormFactor(const TChooserPlacement& where, std::uint8_t currentCode, bool inch,
                                       std::uint8_t& value) {
    const int state = m_doc.WorkingData().GetNewDataFormatState();
    const int id =
        m_ui.RunChooserMenu(m_owner, EChooserStrip::kForm, SeriesChoosers::FormItems(state, inch), where);
    if (id <= 0) return false;
    const bool newer = !(state == 1 || state == -1);
    if (newer && id == SeriesChoosers::kIdCustomFormFactor) {
        const auto chosen = m_ui.RunSlider(m_owner, SeriesChoosers::FormSlider(currentCode));
        if (!chosen) return false;
        value = static_cast<std::uint8_t>(std::clamp(std::trunc(*chosen), 0.0, 255.0));
        return true;
    }
    value = static_cast<std::uint8_t>(id - 1);
    return true;
}

bool CSeriesChoosers::ChooseCarbonation(const TChooserPlacement& where, std::uint8_t currentCode, bool inch,
                                        std::uint8_t& value) {
    const int state = m_doc.WorkingData().GetNewDataFormatState();
    if (state == 1 || state == -1) {
        const int id =
            m_ui.RunChooserMenu(m_owner, EChooserStrip::kNone, SeriesChoosers::CarbonationItems(inch), where);
        if (id <= 0) return false;
        value = static_cast<std::uint8_t>(id - 1);
        return true;
    }
    const auto chosen = m_ui.RunSlider(m_owner, SeriesChoosers::CarbonationSlider(currentCode));
    if (!chosen) return false;
    value = SeriesChoosers::CarbonationPercent(*chosen);
    return true;
}

bool CSeriesChoosers::ChooseOutliers(bool upper, int currentCount, int largestAllowed, std::uint8_t& value,
                                     const std::u16string& hint, bool changeable) {
    const auto chosen = m_ui.RunSlider(
        m_owner, SeriesChoosers::OutlierSlider(upper, currentCount, largestAllowed, hint, changeable));
    if (!chosen || !changeable) return false;
    value = static_cast<std::uint8_t>(std::clamp(std::trunc(*chosen), 0.0, 255.0));
    return true;
}

bool CSeriesChoosers::ChooseUpperOutliers(int currentCount, int largestAllowed, std::uint8_t& value,
                                          const std::u16string& hint, bool changeable) {
    return ChooseOutliers(true, currentCount, largestAllowed, value, hint, changeable);
}

bool CSeriesChoosers::ChooseLowerOutliers(int currentCount, int largestAllowed, std::uint8_t& value,
                                          const std::u16string& hint, bool changeable) {
    return ChooseOutliers(false, currentCount, largestAllowed, value, hint, changeable);
}
