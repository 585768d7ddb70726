#include "report/SummaryTexts.h"

#include <algorithm>
#include <numeric>

#include "model/ModelTypes.h"
#include "model/SummaryData.h"
#include "report/FieldText.h"
#include "text/DateTimeFormat.h"
#include "text/Encoding.h"
#include "text/Format.h"
#include "text/StringTable.h"

namespace Report {
namespace {

constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::u16string_view kNoFigure = u"--";

bool IsMedian(const CSummaryData& summary, int entry) {
    return summary.GetAveraging(entry) == kSummaryMedian;
}

bool HasEntryValues(const CSummaryData& summary, int entry) {
    return entry >= 0 && entry < summary.GetEntryCount() && summary.GetValueCount(entry) > 0;
}

// The spread of one value is no spread.
bool HasStdDev(const TSummaryStatistics& stats) {
    return stats.UsableCount > 1 && !IsNoValue(stats.StdDevValue);
}

}  // namespace

CSummaryTexts::CSummaryTexts(std::uint32_t dtFormat) {
    m_datePattern = Text::GetDateFormatPattern(dtFormat).text;
    m_timePattern = Text::GetTimeFormatPattern(dtFormat).text;
}

int CSummaryTexts::EffectiveDiagramOrder(const CSummaryData& summary, int entry) {
    const int order = summary.GetDiagramOrder(entry);
    if (order == -1) return IsMedian(summary, entry) ? kOrderByValue : kOrderMeasurement;
    if (order == kOrderByValue || order == kOrderByName) return order;
    return kOrderMeasurement;
}

std::u16string CSummaryTexts::OrderLabel(int order) const {
    switch (order) {
        case kOrderByValue:
            return Text::LoadString(59448);
        case kOrderByName:
            return Text::LoadString(59462);
        default:
            return Text::LoadString(59449);
    }
}

std::vector<int> CSummaryTexts::DiagramOrder(const CSummaryData& summary, int entry, int order) {
    std::vector<int> indices(static_cast<std::size_t>(summary.GetValueCount(entry)));
    std::iota(indices.begin(), indices.end(), 0);
    const auto value = [&](int i) -> const TMeasConverted& { return summary.GetValue(entry, i); };
    switch (order) {
        case kOrderByValue:
            // Values that cannot be converted carry the no-value marker, the
            // largest value of all: they end the row.
            std::stable_sort(indices.begin(), indices.end(),
                             [&](int a, int b) { return value(a).Value < value(b).Value; });
            break;
        case kOrderByName:
            std::stable_sort(indices.begin(), indices.end(), [&](int a, int b) {
                const TMeasConverted& va = value(a);
                const TMeasConverted& vb = value(b);
                if (va.Name.empty() && vb.Name.empty()) return va.ImpactCounter < vb.ImpactCounter;
                return va.Name < vb.Name;
            });
            break;
        default:
            std::stable_sort(indices.begin(), indices.end(),
                             [&](int a, int b) { return value(a).ImpactCounter < value(b).ImpactCounter; });
            break;
    }
    return indices;
}

std::vector<int> CSummaryTexts::DiagramOrder(const CSummaryData& summary, int entry) {
    return DiagramOrder(summary, entry, EffectiveDiagramOrder(summary, entry));
}

std::u16string CSummaryTexts::ValueListText(const CSummaryData& summary, int entry, int value) const {
    const TMeasConverted& v = summary.GetValue(entry, value);
    if (IsNoValue(v.Value)) return std::u16string(kNoFigure);
    return Text::Format(u"%0.*f", summary.GetDisplayDecimals(entry), v.Value);
}

std::u16string CSummaryTexts::DiagramValueText(const CSummaryData& summary, int entry, int value) const {
    const TMeasConverted& v = summary.GetValue(entry, value);
    if (IsNoValue(v.Value)) return Text::LoadString(59472);
    return Text::Format(u"%0.*f", summary.GetDisplayDecimals(entry), v.Value);
}

std::u16string CSummaryTexts::ShownName(const TMeasConverted& value) {
    if (!value.Name.empty()) return value.Name;
    return Text::Format(u"%d", value.ImpactCounter);
}

std::u16string CSummaryTexts::AveragingLabel(const CSummaryData& summary, int entry) const {
    return Text::LoadString(IsMedian(summary, entry) ? 59523 : 59407);
}

TSummaryStatisticsTexts CSummaryTexts::StatisticsTexts(const CSummaryData& summary, int entry,
                                                       const TSummaryStatistics& stats) const {
    const bool median = IsMedian(summary, entry);
    const int decimals = summary.GetDisplayDecimals(entry);
    const std::u16string unit = summary.GetUnitText(entry);

    TSummaryStatisticsTexts t;
    t.labels = {Text::LoadString(59468), Text::LoadString(59469), AveragingLabel(summary, entry),
                Text::LoadString(59410)};
    t.symbols = {Text::LoadString(59414), Text::LoadString(59417), Text::LoadString(median ? 59415 : 59416),
                 Text::LoadString(2044)};
    t.values[0] = stats.UsableCount == stats.ValueCount
                      ? Text::Format(u"= %d", stats.UsableCount)
                      : Text::Format(u"= %d/%d", stats.UsableCount, stats.ValueCount);
    t.values[1] = Text::Format(u"= %d", stats.UsableCount - stats.ValidCount);
    t.values[2] = IsNoValue(stats.MeanValue) ? Text::Format(u"= -- %s", unit)
                                             : Text::Format(u"= %0.*f %s", decimals, stats.MeanValue, unit);
    t.values[3] = HasStdDev(stats) ? Text::Format(u"= %0.*f %s", decimals, stats.StdDevValue, unit)
                                   : Text::Format(u"= -- %s", unit);
    return t;
}

std::vector<TLabelValue> CSummaryTexts::SettingsTexts(const CSummaryData& summary, int entry) const {
    return {
        {Text::LoadString(59420), summary.GetModeName(entry)},
        {Text::LoadString(59421), summary.GetCurveName(entry)},
        {Text::LoadString(59422), summary.GetFormText(entry)},
        {Text::LoadString(59423), summary.GetCarbonationText(entry)},
        {Text::LoadString(59424), summary.GetUnitText(entry)},
        {Text::LoadString(59451), summary.GetSerialNumber(entry)},
        {Text::LoadString(59467), DateTimeText(summary.GetLastDateTime(entry))},
    };
}

std::u16string CSummaryTexts::DateTimeText(std::uint32_t seconds) const {
    return Text::FormatSeriesDateTime(seconds, m_datePattern, m_timePattern);
}

std::u16string CSummaryTexts::ExportText(const CSummaryData& summary, int entry,
                                         const TSummaryStatistics& stats) const {
    if (!HasEntryValues(summary, entry)) return {};
    const int count = summary.GetValueCount(entry);
    const int decimals = summary.GetDisplayDecimals(entry);
    const std::u16string unit = FieldText(summary.GetUnitText(entry));

    std::u16string out = Text::LoadString(59456);
    out += kCrLf;
    out += kCrLf;

    out += Text::LoadString(59457);
    out += u"  ";
    const int order = EffectiveDiagramOrder(summary, entry);
    // One series has no order to speak of.
    if (count >= 2) out += OrderLabel(order);
    out += kCrLf;
    for (int i : DiagramOrder(summary, entry, order)) {
        const TMeasConverted& v = summary.GetValue(entry, i);
        out += Text::Format(u"%d\t", v.ImpactCounter);
        AppendFieldText(out, v.Name);
        out += u'\t';
        out += DiagramValueText(summary, entry, i);
        out += kCrLf;
    }
    out += kCrLf;

    const TSummaryStatisticsTexts st = StatisticsTexts(summary, entry, stats);
    out += Text::LoadString(59459);
    out += kCrLf;
    const auto line = [&](int k, const std::u16string& value) {
        out += st.labels[static_cast<std::size_t>(k)];
        out += u'\t';
        out += st.symbols[static_cast<std::size_t>(k)];
        out += u'\t';
        out += value;
        out += kCrLf;
    };
    line(0, stats.UsableCount == stats.ValueCount
                ? Text::Format(u"%d", stats.UsableCount)
                : Text::Format(u"%d\t%d", stats.UsableCount, stats.ValueCount));
    line(1, Text::Format(u"%d", stats.UsableCount - stats.ValidCount));
    line(2, (IsNoValue(stats.MeanValue) ? std::u16string(kNoFigure)
                                        : Text::Format(u"%0.*f", decimals, stats.MeanValue)) +
                u"\t" + unit);
    line(3, (HasStdDev(stats) ? Text::Format(u"%0.*f", decimals, stats.StdDevValue)
                              : std::u16string(kNoFigure)) +
                u"\t" + unit);
    out += kCrLf;

    out += Text::LoadString(59460);
    out += kCrLf;
    for (const TLabelValue& lv : SettingsTexts(summary, entry)) {
        out += lv.label;
        out += u'\t';
        AppendFieldText(out, lv.value);
        out += kCrLf;
    }
    out += kCrLf;

    out += Text::LoadString(59443);
    out += kCrLf;
    out += u'"';
    AppendEscapedComment(out, summary.GetTitle(entry));
    out += u"\"\t";
    return out;
}

std::u16string CSummaryTexts::ExportText(CSummaryData& summary, int entry) const {
    if (!HasEntryValues(summary, entry)) return {};
    return ExportText(summary, entry, summary.CalcSummaryStatistics(entry));
}

std::string CSummaryTexts::ClipboardBytes(std::u16string_view exportText) {
    if (exportText.empty()) return {};
    std::string bytes = Text::ToCp1252(exportText);
    bytes += '\0';
    return bytes;
}

}  // namespace Report
