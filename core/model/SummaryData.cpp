#include "model/SummaryData.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <utility>

#include "model/Conversion.h"
#include "model/DataOwner.h"
#include "model/HammerData.h"
#include "model/InvalidIndexError.h"
#include "model/ModelTypes.h"
#include "text/Format.h"
#include "text/StringTable.h"

namespace {

enum class EGroup { NonSingle, SingleQ, SingleR };

struct SGroup {
    EGroup kind = EGroup::NonSingle;
    std::uint8_t unit = 0;

    bool Contains(const TVantrelObject& s) const {
        switch (kind) {
            case EGroup::NonSingle:
                return s.AveragingMode != kModeSingle && s.Unit == unit;
            case EGroup::SingleQ:
                return s.AveragingMode == kModeSingle && s.Unit == kUnitQ;
            case EGroup::SingleR:
                return s.AveragingMode == kModeSingle && s.Unit == kUnitR;
        }
        return false;
    }
};

// The largest group of participating series; on equal counts the lower unit,
// then non-Single before Single Q before Single R.
SGroup ChooseGroup(const CHammerData& working) {
    std::array<int, 6> nonSingle{};
    int singleQ = 0;
    int singleR = 0;
    for (int i = 0; i < working.GetCount(); ++i) {
        const TVantrelObject& s = working.Series(i);
        if (!s.UseInSummary) continue;
        if (s.AveragingMode != kModeSingle) {
            if (s.Unit < nonSingle.size()) ++nonSingle[s.Unit];
        } else if (s.Unit == kUnitQ) {
            ++singleQ;
        } else if (s.Unit == kUnitR) {
            ++singleR;
        }
    }
    SGroup g;
    for (std::uint8_t u = 1; u < nonSingle.size(); ++u)
        if (nonSingle[u] > nonSingle[g.unit]) g.unit = u;
    int best = nonSingle[g.unit];
    if (singleQ > best) {
        g.kind = EGroup::SingleQ;
        best = singleQ;
    }
    if (singleR > best) g.kind = EGroup::SingleR;
    return g;
}

float SampleStdDev(double n, double sum, double sumSq) {
    if (n <= 1) return 0.0f;
    const double var = (n * sumSq - sum * sum) / (n * (n - 1.0));
    return static_cast<float>(std::sqrt(std::max(0.0, var)));
}

}  // namespace

void CSummaryData::MarkModified() {
    Changed();
    if (m_owner) m_owner->SetModifiedFlag();
}

void CSummaryData::Changed() {
    // One counter for all summaries, so a summary that replaces another never
    // repeats a revision a view has seen.
    static std::atomic<std::uint64_t> counter{0};
    m_revision = ++counter;
}

const TVantrelObjectSummary& CSummaryData::Entry(int entry) const {
    if (entry < 0 || entry >= GetEntryCount())
        throw CInvalidIndexError("CSummaryData::Entry", entry, GetEntryCount());
    return *m_entries[static_cast<std::size_t>(entry)];
}

TVantrelObjectSummary& CSummaryData::MutableEntry(int entry) {
    return const_cast<TVantrelObjectSummary&>(std::as_const(*this).Entry(entry));
}

void CSummaryData::Clear() {
    Changed();
    m_entries.clear();
}

void CSummaryData::AppendLoadedEntry(std::u16string title, std::int16_t diagramOrder,
                                     std::uint8_t averaging) {
    Changed();
    auto e = std::make_unique<TVantrelObjectSummary>();
    e->Title = std::move(title);
    e->DiagramOrder = diagramOrder;
    e->Averaging = averaging;
    m_entries.push_back(std::move(e));
}

bool CSummaryData::BuildSummary(CHammerData& working) {
    Changed();
    if (!working.HasSeries()) {
        // The series behind the old values are gone: an empty summary, not one
        // that points at indices that no longer exist.
        if (!m_entries.empty()) {
            TVantrelObjectSummary& e = *m_entries.front();
            e.Values.clear();
            e.ValueFlags.clear();
            e.FirstDateTime = e.LastDateTime = 0;
        }
        return false;
    }
    if (m_entries.empty()) m_entries.push_back(std::make_unique<TVantrelObjectSummary>());
    TVantrelObjectSummary& e = *m_entries.front();
    e.Values.clear();
    e.ValueFlags.clear();

    const SGroup group = ChooseGroup(working);
    bool first = true;
    for (int i = 0; i < working.GetCount(); ++i) {
        TVantrelObject& s = working.Series(i);
        if (!s.UseInSummary) continue;
        if (!group.Contains(s)) {
            s.UseInSummary = 0;
            continue;
        }
        const TStatistics st = working.CalcStatistics(i);
        TMeasConverted v;
        v.QHalf = IsNoValue(st.MeanQ) ? 0 : static_cast<std::uint8_t>(std::min(255.0f, st.MeanQ * 2.0f));
        v.Value = st.Converted;
        v.Name = s.Name;
        v.ImpactCounter = s.ImpactCounter;
        v.Valid = st.Invalid ? 0 : 1;
        v.SeriesIndex = static_cast<std::uint32_t>(i);
        e.Values.push_back(std::move(v));

        if (first) {
            first = false;
            e.FirstDateTime = e.LastDateTime = s.DateTime;
            e.Unit = s.Unit;
            e.CurveId = s.CurveId;
            e.CarbonationCode = s.CarbonationCode;
            e.FormCode = s.FormCode;
            e.Mode = s.AveragingMode;
            e.SerialNumber = s.SerialNumber;
            continue;
        }
        e.FirstDateTime = std::min(e.FirstDateTime, s.DateTime);
        e.LastDateTime = std::max(e.LastDateTime, s.DateTime);
        if (e.Unit != s.Unit) e.Unit = kSummaryDifferent;
        if (e.CurveId != s.CurveId) e.CurveId = kSummaryDifferent;
        if (e.CarbonationCode != s.CarbonationCode) e.CarbonationCode = kSummaryDifferentCarbonation;
        if (e.FormCode != s.FormCode) e.FormCode = kSummaryDifferent;
        if (e.Mode != s.AveragingMode) e.Mode = kSummaryDifferent;
        if (e.SerialNumber != s.SerialNumber) e.SerialNumber = Text::LoadString(59461);
    }
    if (first) {
        // Nobody takes part: no settings to share.
        e.Mode = e.CurveId = e.Unit = e.FormCode = e.CarbonationCode = 0;
        e.SerialNumber.clear();
        e.FirstDateTime = e.LastDateTime = 0;
    }
    e.ValueFlags.assign(e.Values.size(), 0);
    return true;
}

TSummaryStatistics CSummaryData::CalcSummaryStatistics(int entry, std::uint8_t averaging) {
    TVantrelObjectSummary& e = MutableEntry(entry);
    TSummaryStatistics st;
    const std::size_t m = e.Values.size();
    e.ValueFlags.assign(m, 0);

    std::vector<std::size_t> usable;
    usable.reserve(m);
    double sumQ = 0, sumQ2 = 0, sumV = 0, sumV2 = 0, sumE = 0;
    int valid = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const TMeasConverted& v = e.Values[i];
        if (IsNoValue(v.Value)) continue;  // listed, not counted
        usable.push_back(i);
        const double q = v.QHalf / 2.0;
        sumQ += q;
        sumQ2 += q * q;
        sumV += v.Value;
        sumV2 += static_cast<double>(v.Value) * v.Value;
        sumE += v.Energy / 1000.0;
        if (v.Valid)
            ++valid;
        else
            e.ValueFlags[i] = 1;
    }
    st.ValueCount = static_cast<int>(m);
    st.UsableCount = static_cast<int>(usable.size());
    st.ValidCount = valid;
    // Without a usable value there is nothing to average: every figure stays
    // "no value", the counts say why.
    if (usable.empty() || (averaging != kSummaryMedian && averaging != kSummaryMean)) return st;

    const double n = static_cast<double>(usable.size());
    st.StdDevQ = SampleStdDev(n, sumQ, sumQ2);
    st.StdDevValue = SampleStdDev(n, sumV, sumV2);
    st.MeanEnergy = static_cast<float>(sumE / n);
    if (averaging == kSummaryMean) {
        st.MeanQ = static_cast<float>(sumQ / n);
        st.MeanValue = static_cast<float>(sumV / n);
        return st;
    }
    std::stable_sort(usable.begin(), usable.end(),
                     [&](std::size_t a, std::size_t b) { return e.Values[a].Value < e.Values[b].Value; });
    const std::size_t mid = usable.size() / 2;
    const TMeasConverted& hi = e.Values[usable[mid]];
    if (usable.size() % 2) {
        st.MeanQ = hi.QHalf / 2.0f;
        st.MeanValue = hi.Value;
    } else {
        const TMeasConverted& lo = e.Values[usable[mid - 1]];
        st.MeanQ = (lo.QHalf / 2.0f + hi.QHalf / 2.0f) / 2.0f;
        st.MeanValue = static_cast<float>((static_cast<double>(lo.Value) + hi.Value) / 2.0);
    }
    return st;
}

void CSummaryData::SetTitle(int entry, std::u16string title) {
    MutableEntry(entry).Title = std::move(title);
    MarkModified();
}

void CSummaryData::SetDiagramOrder(int entry, std::int16_t order) {
    MutableEntry(entry).DiagramOrder = order;
    MarkModified();
}

void CSummaryData::SetAveraging(int entry, std::uint8_t averaging) {
    MutableEntry(entry).Averaging = averaging;
    MarkModified();
}

const TMeasConverted& CSummaryData::GetValue(int entry, int value) const {
    const TVantrelObjectSummary& e = Entry(entry);
    if (value < 0 || static_cast<std::size_t>(value) >= e.Values.size())
        throw CInvalidIndexError("CSummaryData::GetValue", value, static_cast<long long>(e.Values.size()));
    return e.Values[static_cast<std::size_t>(value)];
}

std::uint8_t CSummaryData::GetValueFlag(int entry, int value) const {
    const TVantrelObjectSummary& e = Entry(entry);
    GetValue(entry, value);
    return static_cast<std::size_t>(value) < e.ValueFlags.size()
               ? e.ValueFlags[static_cast<std::size_t>(value)]
               : 0;
}

// The same decimals as the series of that unit show, so a summary of MPa
// series does not cut off the half that every MPa value may carry.
// The summary has its own rule, coarser than the table's: a characteristic
// value in MPa is handed in without a decimal.
int CSummaryData::GetDisplayDecimals(int entry) const {
    return Entry(entry).Unit <= kUnitNmm2 ? 1 : 0;
}

std::u16string CSummaryData::ModeName(std::uint8_t mode) {
    return mode == kSummaryDifferent ? Text::LoadString(59494) : Model::GetModeName(mode);
}

std::u16string CSummaryData::UnitText(std::uint8_t unit) {
    if (unit == kUnitMPa) return u"Mpa";
    if (unit == kSummaryDifferent) return Text::LoadString(59495);
    return Model::GetUnitText(unit);
}

std::u16string CSummaryData::CurveName(std::uint8_t curveId) {
    if (curveId == kSummaryDifferent) return Text::LoadString(59493);
    if (Model::IsBuiltInCurve(curveId) || (curveId >= 16 && curveId <= kLastAssignableCurveId))
        return Model::GetCurveName(curveId);
    return Text::LoadString(59478);
}

std::u16string CSummaryData::FormText(std::uint8_t formCode, bool inch) {
    if (formCode == kSummaryDifferent) return Text::LoadString(59492);
    if (formCode == 20) return Text::LoadString(9202);
    if (formCode <= 9 || formCode == 21) return Model::GetFormText(formCode, inch, 0.0);
    return Text::Format(u"%d%%", static_cast<int>(formCode));
}

std::u16string CSummaryData::CarbonationText(std::uint8_t code, bool inch) {
    if (code == kSummaryDifferentCarbonation) return Text::LoadString(59491);
    return Model::GetCarbonationText(code, inch);
}

std::u16string CSummaryData::GetModeName(int entry) const {
    return ModeName(Entry(entry).Mode);
}
std::u16string CSummaryData::GetUnitText(int entry) const {
    return UnitText(Entry(entry).Unit);
}
std::u16string CSummaryData::GetCurveName(int entry) const {
    return CurveName(Entry(entry).CurveId);
}
std::u16string CSummaryData::GetFormText(int entry) const {
    const auto& e = Entry(entry);
    return FormText(e.FormCode, e.Unit == kUnitPSI);
}
std::u16string CSummaryData::GetCarbonationText(int entry) const {
    const auto& e = Entry(entry);
    return CarbonationText(e.CarbonationCode, e.Unit == kUnitPSI);
}
