#include "ProjectExport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ChunkSink.h"
#include "JsonText.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "model/SummaryData.h"
#include "report/SeriesTable.h"
#include "report/SummaryTexts.h"
#include "text/DateTimeFormat.h"
#include "text/Encoding.h"

namespace ProjectExport {
namespace {

std::vector<std::u16string> SplitTabs(std::u16string_view line) {
    std::vector<std::u16string> fields;
    while (true) {
        const std::size_t tab = line.find(u'\t');
        fields.emplace_back(line.substr(0, tab));
        if (tab == std::u16string_view::npos) break;
        line.remove_prefix(tab + 1);
    }
    return fields;
}

void AppendRecord(std::string& out, const std::vector<std::u16string>& fields, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        if (i > 0) out += ',';
        if (i < fields.size()) AppendCsvField(out, Text::ToUtf8(fields[i]));
    }
    out += "\r\n";
}

std::string IsoTime(std::uint32_t seconds) {
    const Text::TCalendarTime t = Text::SeriesTimeToCalendar(seconds);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buffer;
}

const char* Status(const TStatistics& stats) {
    if (IsNoValue(stats.MeanQ) || IsNoValue(stats.Converted)) return "conversionNotPossible";
    return stats.Invalid ? "invalid" : "valid";
}

// Member helpers: each writes `,\n` before every member but the first.
class CObject {
  public:
    CObject(std::string& out, int indent) : m_out(out), m_indent(indent) { m_out += "{"; }
    void Key(std::string_view name) {
        m_out += m_first ? "\n" : ",\n";
        m_first = false;
        Json::AppendKey(m_out, m_indent + 2, name);
    }
    void Str(std::string_view name, std::u16string_view value) {
        Key(name);
        Json::AppendString(m_out, value);
    }
    void Str8(std::string_view name, std::string_view value) {
        Key(name);
        Json::AppendString(m_out, value);
    }
    void Int(std::string_view name, std::int64_t value) {
        Key(name);
        Json::AppendInt(m_out, value);
    }
    void Float(std::string_view name, float value) {
        Key(name);
        Json::AppendFloat(m_out, value);
    }
    void Double(std::string_view name, double value) {
        Key(name);
        Json::AppendDouble(m_out, value);
    }
    void Bool(std::string_view name, bool value) {
        Key(name);
        Json::AppendBool(m_out, value);
    }
    int Inner() const { return m_indent + 2; }
    void Close() {
        m_out += "\n";
        m_out.append(static_cast<std::size_t>(m_indent), ' ');
        m_out += "}";
    }

  private:
    std::string& m_out;
    int m_indent;
    bool m_first = true;
};

void AppendSeries(std::string& out, CHammerData& data, int i, const TStatistics& stats,
                  const Report::CSeriesTable& table) {
    const TVantrelObject& s = data.Series(i);
    CObject o(out, 2);
    o.Int("index", i + 1);
    o.Int("impactCounter", s.ImpactCounter);
    o.Str("name", s.Name);
    o.Str8("dateTime", IsoTime(s.DateTime));
    o.Str("dateTimeText", table.DateTimeText(s.DateTime));
    o.Str("serialNumber", s.SerialNumber);
    o.Str("deviceType", s.DeviceType);
    o.Bool("newDataFormat", s.NewDataFormat != 0);
    o.Str("comment", s.Comment);

    o.Key("settings");
    {
        CObject set(out, o.Inner());
        set.Int("averagingMode", s.AveragingMode);
        set.Str("averagingModeName", data.GetModeName(i));
        set.Int("upperOutliers", s.UpperOutliers);
        set.Int("lowerOutliers", s.LowerOutliers);
        set.Int("effectiveUpperOutliers", data.GetEffectiveUpperOutliers(i));
        set.Int("effectiveLowerOutliers", data.GetEffectiveLowerOutliers(i));
        set.Int("curveId", s.CurveId);
        set.Str("curveName", data.GetCurveName(i));
        set.Int("unit", s.Unit);
        set.Str("unitName", data.GetUnitText(i));
        set.Int("decimals", data.GetDisplayDecimals(i));
        set.Int("formCode", s.FormCode);
        set.Str("formText", data.GetFormText(i));
        set.Double("formFactor", data.GetSeriesFormFactor(i));
        set.Int("carbonationCode", s.CarbonationCode);
        set.Str("carbonationText", data.GetCarbonationText(i));
        set.Close();
    }

    o.Key("statistics");
    {
        CObject st(out, o.Inner());
        st.Str8("status", Status(stats));
        st.Bool("invalid", stats.Invalid);
        st.Float("meanQ", stats.MeanQ);
        st.Float("value", stats.Converted);
        st.Float("stdDevQ", s.ReadingCount() > 1 ? stats.StdDev : kNoValue);
        st.Float("stdDev", s.ReadingCount() > 1 ? stats.ConvertedStdDev : kNoValue);
        st.Float("meanEnergy", stats.MeanEnergy);
        st.Int("validCount", stats.ValidCount);
        st.Int("count", s.ReadingCount());
        st.Close();
    }

    // Up to 99 readings: one line keeps a project of thousands of series readable.
    o.Key("readings");
    out += "[";
    for (int r = 0; r < s.ReadingCount(); ++r) {
        const TMeas& m = s.Readings[static_cast<std::size_t>(r)];
        out += r == 0 ? "{\"q\": " : ", {\"q\": ";
        Json::AppendFloat(out, m.Q());
        out += ", \"energy\": ";
        Json::AppendDouble(out, m.Energy / 1000.0);
        out += s.ReadingFlag(static_cast<std::size_t>(r)) != 0 ? ", \"excluded\": true}"
                                                               : ", \"excluded\": false}";
    }
    out += "]";

    o.Key("flags");
    {
        CObject f(out, o.Inner());
        f.Bool("useInSummary", s.UseInSummary != 0);
        f.Bool("expanded", s.Expanded != 0);
        f.Close();
    }
    o.Close();
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void TableCsv(CHammerData& data, const Report::CSeriesTable& table, CChunkSink& out) {
    std::u16string header = table.HeaderExportLine();
    if (header.ends_with(u'\t')) header.pop_back();
    const std::vector<std::u16string> captions = SplitTabs(header);
    // The last two captions before "Q-Values" are the detail row's serial and comment.
    const std::size_t qColumn = captions.size() - 1;
    const std::size_t commentColumn = captions.size() - 2;
    std::size_t readings = 1;
    for (int i = 0; i < data.GetCount(); ++i)
        readings = std::max(readings, static_cast<std::size_t>(data.GetReadingCount(i)));
    const std::size_t width = qColumn + readings;

    AppendRecord(out.Buffer(), captions, width);
    for (int i = 0; i < data.GetCount(); ++i) {
        const TStatistics stats = data.CalcStatistics(i);
        std::vector<std::u16string> fields = table.SeriesExportFields(data, i, stats);
        if (fields.size() > commentColumn) fields[commentColumn] = data.GetComment(i);
        AppendRecord(out.Buffer(), fields, width);
        out.Flush();
    }
}

std::string TextCsv(std::u16string_view text) {
    std::vector<std::vector<std::u16string>> records;
    std::size_t width = 0;
    while (!text.empty()) {
        std::size_t end = text.find(u"\r\n");
        std::u16string_view line = text.substr(0, end);
        if (line.ends_with(u'\t')) line.remove_suffix(1);
        records.push_back(SplitTabs(line));
        width = std::max(width, records.back().size());
        if (end == std::u16string_view::npos) break;
        text.remove_prefix(end + 2);
    }
    std::string out;
    for (const auto& r : records) AppendRecord(out, r, width);
    return out;
}

void TableJson(CHammerData& data, const Report::CSeriesTable& table, CChunkSink& out) {
    out.Buffer() += "[";
    for (int i = 0; i < data.GetCount(); ++i) {
        out.Buffer() += i == 0 ? "\n  " : ",\n  ";
        const TStatistics stats = data.CalcStatistics(i);
        AppendSeries(out.Buffer(), data, i, stats, table);
        out.Flush();
    }
    out.Buffer() += data.GetCount() > 0 ? "\n]\n" : "]\n";
}

std::string SummaryJson(CSummaryData& summary, const Report::CSummaryTexts& texts) {
    if (summary.GetEntryCount() == 0 || summary.GetValueCount(0) == 0) return "null\n";
    const TSummaryStatistics stats = summary.CalcSummaryStatistics(0);
    std::string out;
    CObject o(out, 0);
    o.Str("title", summary.GetTitle(0));
    o.Str8("averaging", summary.GetAveraging(0) == kSummaryMedian ? "median" : "mean");
    o.Int("decimals", summary.GetDisplayDecimals(0));

    o.Key("settings");
    {
        CObject set(out, o.Inner());
        set.Str("averagingModeName", summary.GetModeName(0));
        set.Str("curveName", summary.GetCurveName(0));
        set.Str("formText", summary.GetFormText(0));
        set.Str("carbonationText", summary.GetCarbonationText(0));
        set.Str("unitName", summary.GetUnitText(0));
        set.Str("serialNumber", summary.GetSerialNumber(0));
        set.Str8("firstDateTime", IsoTime(summary.GetFirstDateTime(0)));
        set.Str8("lastDateTime", IsoTime(summary.GetLastDateTime(0)));
        set.Close();
    }

    o.Key("statistics");
    {
        CObject st(out, o.Inner());
        st.Int("valueCount", stats.ValueCount);
        st.Int("usableCount", stats.UsableCount);
        st.Int("validCount", stats.ValidCount);
        st.Int("invalidCount", stats.UsableCount - stats.ValidCount);
        st.Float("meanQ", stats.MeanQ);
        st.Float("value", stats.MeanValue);
        st.Float("stdDevQ", stats.UsableCount > 1 ? stats.StdDevQ : kNoValue);
        st.Float("stdDev", stats.UsableCount > 1 ? stats.StdDevValue : kNoValue);
        st.Float("meanEnergy", stats.MeanEnergy);
        st.Close();
    }

    const int order = Report::CSummaryTexts::EffectiveDiagramOrder(summary, 0);
    o.Str("orderLabel", texts.OrderLabel(order));
    o.Key("values");
    out += "[";
    bool first = true;
    for (int v : Report::CSummaryTexts::DiagramOrder(summary, 0, order)) {
        const TMeasConverted& value = summary.GetValue(0, v);
        out += first ? "\n" : ",\n";
        first = false;
        out.append(static_cast<std::size_t>(o.Inner() + 2), ' ');
        CObject item(out, o.Inner() + 2);
        item.Int("series", static_cast<std::int64_t>(value.SeriesIndex) + 1);
        item.Int("impactCounter", value.ImpactCounter);
        item.Str("name", value.Name);
        item.Float("value", value.Value);
        item.Bool("valid", value.Valid != 0);
        item.Close();
    }
    if (!first) {
        out += "\n";
        out.append(static_cast<std::size_t>(o.Inner()), ' ');
    }
    out += "]";
    o.Close();
    out += "\n";
    return out;
}

}  // namespace ProjectExport
