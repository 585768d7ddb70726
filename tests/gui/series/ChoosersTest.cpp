// The setting choosers: what each menu offers for the format states and
// hammer types, what a choice comes back as, and the slider set-ups.
#include <gtest/gtest.h>

#include <cmath>

#include "SeriesTestSupport.h"
#include "model/Conversion.h"
#include "views/series/ChooserIcons.h"
#include "views/series/SeriesChoosers.h"

namespace {

using namespace SeriesTest;
using namespace SeriesChoosers;

struct TItem {
    int id;
    int icon;
    std::string text;  // "-" for a separator
};

std::vector<TItem> Simple(const std::vector<TChooserItem>& items) {
    std::vector<TItem> out;
    for (const TChooserItem& i : items)
        out.push_back(i.separator ? TItem{0, -1, "-"} : TItem{i.id, i.icon, Utf8(Q(i.text))});
    return out;
}

std::string Describe(const std::vector<TChooserItem>& items) {
    std::string s;
    for (const TItem& i : Simple(items))
        s += i.text == "-" ? std::string("|-")
                           : "|" + std::to_string(i.id) + ":" + std::to_string(i.icon) + ":" + i.text;
    return s;
}

TConvCust Curve(const char* name, int id, std::uint8_t flags, int onDevice, float c = 1.0f) {
    TConvCust curve;
    curve.QMin = 20;
    curve.QMax = 60;
    curve.C = c;
    curve.SetName8(name);
    curve.Flags = flags;
    curve.OnDevice = onDevice;
    curve.Id = static_cast<std::uint8_t>(id);
    return curve;
}

TEST(Choosers, UnitMenuByFormatState) {
    struct SCase {
        int state;
        bool rAndQOnly;
        const char* items;
    };
    const SCase cases[] = {
        {1, false, "|1:0:R|2:1:Q|3:2:N/mm\u00B2|4:3:kg/cm\u00B2|5:4:PSI|6:5:MPa"},
        {0, false, "|1:0:R|2:1:Q|3:2:N/mm\u00B2|4:3:kg/cm\u00B2|5:4:PSI|6:5:MPa"},
        {2, false, "|2:1:Q|3:2:N/mm\u00B2|4:3:kg/cm\u00B2|5:4:PSI|6:5:MPa"},
        {1, true, "|1:0:R|2:1:Q"},
        {2, true, "|2:1:Q"},  // newer format, Single series: Q alone
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.items, Describe(UnitItems(c.state, c.rAndQOnly))) << c.state << " " << c.rAndQOnly;
}

TEST(Choosers, AveragingModeMenuNeverOffersSingleJisOrRus) {
    EXPECT_EQ("|2:2:Mean|5:1:Median only|3:3:Mean outlier|1:5:Median EN|4:4:Mean ASTM|7:6:Mean JGJ",
              Describe(ModeItems()));
}

TEST(Choosers, CurveMenuByFormatStateAndHammerType) {
    const std::vector<TConvCust> store = {
        Curve("SLOT1", 50, 3, 1),  // from the hammer, both types
        Curve("SLOT2", 51, 1, 1),  // from the hammer, type N only
        Curve("FILEL", 60, 2, 0),  // type L
        Curve("FILEN", 61, 1, 0),  // type N
    };
    const std::vector<TConvCust> library = {
        Curve("FILEL", 0, 2, 0),       // the same curve as store 60: not offered twice
        Curve("LIBL", 0, 2, 0, 2.0f),  // type L, not in the store
        Curve("LIBN", 0, 1, 0, 3.0f),  // type N only
    };
    struct SCase {
        const char* what;
        int state;
        bool typeN;
        bool typeL;
        const char* items;
    };
    const SCase cases[] = {
        {"older format, type L", 1, false, true,
         "|2:1:B-TOLVEX|3:2:C-TOLVEX|-|51:5:SLOT1|61:4:FILEL|-|258:4:LIBL"},
        {"older format, type N", 1, true, false,
         "|1:0:L-TOLVEX|2:1:B-TOLVEX|3:2:C-TOLVEX|4:3:H-TOLVEX|-|51:5:SLOT1|52:6:SLOT2|62:4:FILEN|-|259:4:"
         "LIBN"},
        {"newer format, both", 2, true, true,
         "|11:-1:Curve EU|14:-1:Curve China|15:-1:Curve Russia|16:8:10-percentile "
         "curve|-|51:5:SLOT1|52:6:SLOT2|"
         "61:4:FILEL|62:4:FILEN|-|258:4:LIBL|259:4:LIBN"},
        {"mixed formats start with a separator", 0, false, true, "|-|51:5:SLOT1|61:4:FILEL|-|258:4:LIBL"},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.items, Describe(CurveItems(c.state, c.typeN, c.typeL, store, library))) << c.what;
}

TEST(Choosers, FormMenuByFormatState) {
    const std::vector<TChooserItem> older = FormItems(1, false);
    ASSERT_EQ(10u, older.size());
    for (int code = 0; code < 10; ++code) {
        const TChooserItem& item = older[static_cast<std::size_t>(code)];
        EXPECT_EQ(code + 1, item.id);
        EXPECT_EQ(code <= 2 ? 0 : (code <= 6 ? 1 : 2), item.icon) << code;
        const double factor = Model::GetFormFactor(static_cast<std::uint8_t>(code), 40.0);
        EXPECT_EQ(Utf8(Q(Model::GetFormText(static_cast<std::uint8_t>(code), false, factor))) + " \t(* " +
                      QString::number(factor, 'f', 2).toStdString() + ")",
                  Utf8(Q(item.text)));
    }
    EXPECT_EQ("Cube 150mm \t(* 1.00)", Utf8(Q(older[4].text)));
    EXPECT_EQ("Cube 6\" \t(* 1.00)", Utf8(Q(FormItems(-1, true)[4].text)));
    EXPECT_EQ("|21:3:Cylinder|22:4:Cube 150mm \t(100%)|3:5:Custom form factor...",
              Describe(FormItems(2, false)));
    EXPECT_EQ("|21:3:Cylinder|22:4:Cube 6\" \t(100%)|3:5:Custom form factor...",
              Describe(FormItems(0, true)));
}

TEST(Choosers, CarbonationMenuInMillimetresOrInches) {
    const std::vector<TChooserItem> mm = CarbonationItems(false);
    const std::vector<TChooserItem> inch = CarbonationItems(true);
    ASSERT_EQ(13u, mm.size());
    ASSERT_EQ(13u, inch.size());
    EXPECT_EQ("0.0 mm", Utf8(Q(mm[0].text)));
    EXPECT_EQ("6.0 mm", Utf8(Q(mm[12].text)));
    EXPECT_EQ("24/100\"", Utf8(Q(inch[12].text)));
    EXPECT_EQ(13, mm[12].id);
    EXPECT_EQ(-1, mm[3].icon);
}

TEST(Choosers, SliderSetUps) {
    struct SCase {
        const char* what;
        TSliderSetup setup;
        TSliderSetup expected;
    };
    const SCase cases[] = {
        {"form factor from a code of 21",
         FormSlider(21),
         {80, 120, 100, 0, 1, u"Form factor [%]", u"%", u"", true}},
        {"form factor from 95", FormSlider(95), {80, 120, 95, 0, 1, u"Form factor [%]", u"%", u"", true}},
        {"carbonation from a depth code of 12",
         CarbonationSlider(12),
         {0.5, 1.0, 1.0, 2, 0.01, u"Carb-Factor", u"", u"", true}},
        {"carbonation from 57 %",
         CarbonationSlider(57),
         {0.5, 1.0, 0.57, 2, 0.01, u"Carb-Factor", u"", u"", true}},
        {"carbonation beyond 100",
         CarbonationSlider(130),
         {0.5, 1.0, 1.0, 2, 0.01, u"Carb-Factor", u"", u"", true}},
        {"upper outliers", OutlierSlider(true, 2, 9), {0, 9, 2, 0, 1, u"Upper outlier", u"", u"", true}},
        {"lower outliers", OutlierSlider(false, 0, 4), {0, 4, 0, 0, 1, u"Lower outlier", u"", u"", true}},
        {"a count the mode fixes",
         OutlierSlider(true, 3, 15, u"fixed", false),
         {0, 15, 3, 0, 1, u"Upper outlier", u"", u"fixed", false}},
    };
    for (const SCase& c : cases) EXPECT_EQ(c.expected, c.setup) << c.what;
}

TEST(Choosers, EveryCarbonationFactorComesBackAsItsOwnPercentage) {
    for (int percent = 50; percent <= 100; ++percent) {
        // As the slider's edit shows it: two decimals.
        const double factor = QString::number(percent / 100.0, 'f', 2).toDouble();
        EXPECT_EQ(percent, CarbonationPercent(factor)) << factor;
    }
}

TEST(Choosers, IconStripsHoldTheirIcons) {
    struct SCase {
        EChooserStrip strip;
        int count;
    };
    for (const SCase& c : {SCase{EChooserStrip::kUnit, 6}, SCase{EChooserStrip::kMode, 9},
                           SCase{EChooserStrip::kForm, 6}, SCase{EChooserStrip::kCurve, 9}}) {
        EXPECT_EQ(c.count, CChooserIcons::Count(c.strip));
        EXPECT_EQ(QSize(16 * c.count, 16), CChooserIcons::Strip(c.strip).size());
        for (int i = 0; i < c.count; ++i) {
            // Each icon draws something of its own.
            const QImage icon = CChooserIcons::Strip(c.strip).copy(i * 16, 0, 16, 16).toImage();
            int opaque = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) opaque += qAlpha(icon.pixel(x, y)) > 0 ? 1 : 0;
            EXPECT_GT(opaque, 10) << static_cast<int>(c.strip) << " icon " << i;
        }
        EXPECT_TRUE(CChooserIcons::Icon(c.strip, c.count).isNull());
    }
}

TEST(Choosers, MenusAreCentredOnANarrowItemElseOnTheMouse) {
    TChooserPlacement narrow{900, 100, 250, 40};
    EXPECT_EQ(175, narrow.CentreX());  // 150 pixels wide: the item's centre
    TChooserPlacement odd{900, 100, 201, 40};
    EXPECT_EQ(150, odd.CentreX());  // integer division
    TChooserPlacement wide{900, 100, 251, 40};
    EXPECT_EQ(900, wide.CentreX());
}

class ChooserRuns : public ::testing::Test {
  protected:
    CDocScope scope;
    CScriptedUi ui;
    CSeriesChoosers choosers{*scope.doc, ui, nullptr};
    TChooserPlacement where{10, 0, 100, 20};
};

TEST_F(ChooserRuns, ResultsFromTheMenuIds) {
    scope.Add({.q = {40, 41}});
    std::uint8_t unit = 99;
    ui.menuAnswers = {6};
    ASSERT_TRUE(choosers.ChooseUnit(where, false, unit));
    EXPECT_EQ(kUnitMPa, unit);
    EXPECT_EQ(EChooserStrip::kUnit, ui.menus.back().strip);
    std::uint8_t mode = 0;
    ui.menuAnswers = {7};
    ASSERT_TRUE(choosers.ChooseAveragingMode(where, mode));
    EXPECT_EQ(kModeMeanJGJ, mode);
    int curve = 0;
    ui.menuAnswers = {3};
    ASSERT_TRUE(choosers.ChooseCurve(where, true, false, curve));
    EXPECT_EQ(2, curve);
    // A menu closed without a choice yields nothing.
    ui.menuAnswers = {};
    EXPECT_FALSE(choosers.ChooseUnit(where, false, unit));
    EXPECT_EQ(kUnitMPa, unit);
}

TEST_F(ChooserRuns, TheCustomFormFactorGoesThroughTheSlider) {
    scope.Add({.q = {40}, .deviceType = kTypeNNew, .newFormat = 1});
    std::uint8_t code = 77;
    // Cancelling the slider leaves the form code unchanged.
    ui.menuAnswers = {kIdCustomFormFactor};
    EXPECT_FALSE(choosers.ChooseFormFactor(where, 21, false, code));
    EXPECT_EQ(77, code);
    ASSERT_EQ(1u, ui.sliders.size());
    EXPECT_EQ(100, ui.sliders[0].value);  // code 21 starts the slider at 100
    ui.menuAnswers = {kIdCustomFormFactor};
    ui.sliderAnswers = {93.7};
    ASSERT_TRUE(choosers.ChooseFormFactor(where, 95, false, code));
    EXPECT_EQ(93, code);
    EXPECT_EQ(95, ui.sliders[1].value);
    ui.menuAnswers = {22};
    ASSERT_TRUE(choosers.ChooseFormFactor(where, 95, false, code));
    EXPECT_EQ(21, code);
}

TEST_F(ChooserRuns, CarbonationIsAMenuForOlderSeriesAndASliderOtherwise) {
    scope.Add({.q = {40}});
    std::uint8_t code = 0;
    ui.menuAnswers = {5};
    ASSERT_TRUE(choosers.ChooseCarbonation(where, 0, false, code));
    EXPECT_EQ(4, code);
    EXPECT_TRUE(ui.sliders.empty());
    // Mixed data: the slider, starting at 1.00 for a depth code.
    scope.Add({.q = {40}, .deviceType = kTypeNNew, .newFormat = 1});
    ui.sliderAnswers = {0.57};
    ASSERT_TRUE(choosers.ChooseCarbonation(where, 12, false, code));
    EXPECT_EQ(57, code);
    ASSERT_EQ(1u, ui.sliders.size());
    EXPECT_DOUBLE_EQ(1.0, ui.sliders[0].value);
}

TEST_F(ChooserRuns, OutlierCountsAreWholeNumbers) {
    std::uint8_t count = 0;
    ui.sliderAnswers = {3.9};
    ASSERT_TRUE(choosers.ChooseUpperOutliers(1, 5, count));
    EXPECT_EQ(3, count);
    EXPECT_EQ(u"Upper outlier", ui.sliders.back().title);
    ui.sliderAnswers = {std::nullopt};
    EXPECT_FALSE(choosers.ChooseLowerOutliers(1, 5, count));
    EXPECT_EQ(u"Lower outlier", ui.sliders.back().title);
}

}  // namespace
