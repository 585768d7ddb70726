#include "report/SeriesTable.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

#include "model/Conversion.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "report/FieldText.h"
#include "text/DateTimeFormat.h"
#include "text/Format.h"
#include "text/StringTable.h"

namespace Report {
namespace {

constexpr int kColumns = 12;
constexpr int kColumnsWithEnergy = 13;

// String ids of the table's texts.
constexpr unsigned kIdCaptions[kColumnsWithEnergy] = {1600, 1601, 1602, 1603, 1604, 59567, 59568,
                                                      1605, 1606, 1607, 1608, 1609, 59446};
constexpr unsigned kIdCarbonationFactorCaption = 59587;
constexpr unsigned kIdInvalidSeries = 59394;
constexpr unsigned kIdConversionToNotPossible = 59450;
constexpr unsigned kIdStatusValid = 59514;
constexpr unsigned kIdStatusInvalid = 59515;
constexpr unsigned kIdStatusNotPossible = 59517;

constexpr char16_t kTab = u'\t';
constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::u16string_view kNoFigure = u"--";

void AppendInt(std::u16string& out, long long value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    for (const char* p = buf; p != res.ptr; ++p) out += static_cast<char16_t>(*p);
}

std::u16string IntText(long long value) {
    std::u16string out;
    AppendInt(out, value);
    return out;
}

// Loads the texts of `ids`, each followed by a tab.
std::u16string Captions(std::initializer_list<unsigned> ids, bool tabAfterLast = true) {
    std::u16string out;
    std::size_t n = 0;
    for (unsigned id : ids) {
        out += Text::LoadString(id);
        if (++n < ids.size() || tabAfterLast) out += kTab;
    }
    return out;
}

bool HasMeanQ(const TStatistics& stats) {
    return !IsNoValue(stats.MeanQ);
}

bool IsConvertible(const TStatistics& stats) {
    return HasMeanQ(stats) && !IsNoValue(stats.Converted);
}

// The standard deviation needs two readings and a converted spread.
bool HasStdDev(const TVantrelObject& s, const TStatistics& stats) {
    return s.ReadingCount() > 1 && !IsNoValue(stats.ConvertedStdDev);
}

}  // namespace

CSeriesTable::CSeriesTable(const TTableOptions& options) : m_options(options) {
    m_datePattern = Text::GetDateFormatPattern(options.dtFormat).text;
    m_timePattern = Text::GetTimeFormatPattern(options.dtFormat).text;

    const int columns = ColumnCount();
    for (int c = 0; c < columns; ++c) m_captions.push_back(Text::LoadString(kIdCaptions[c]));
    m_captionCarbonationFactor = Text::LoadString(kIdCarbonationFactorCaption);

    m_exportCaptions = {
        Captions({1600}),
        Captions({1601}),
        Captions({1602}),
        Captions({59516, 59497, 59498}),
        Captions({1604}),
        Captions({59567}),
        Captions({59568}),
        Captions({59499, 59500}),
        Captions({1606}),
        Captions({1607}),
        Captions({59501, 59502}),
        // The detail row's fields (serial, comment, readings) close the header
        // line: after column 11 without the energy column, after column 12 with it.
        options.energyDisplay ? Captions({59503, 59504, 59505})
                              : Captions({59503, 59504, 59505, 59506, 59507, 59508}),
    };
    if (options.energyDisplay) m_exportCaptions.push_back(Captions({59509, 59506, 59507, 59508}, false));

    m_invalidSeries = Text::LoadString(kIdInvalidSeries);
    m_conversionNotPossible = Text::LoadString(kIdConversionToNotPossible);
    m_statusValid = Text::LoadString(kIdStatusValid);
    m_statusInvalid = Text::LoadString(kIdStatusInvalid);
    m_statusNotPossible = Text::LoadString(kIdStatusNotPossible);
}

int CSeriesTable::ColumnCount() const {
    return m_options.energyDisplay ? kColumnsWithEnergy : kColumns;
}

std::u16string CSeriesTable::HeaderCaption(int column, int newDataFormatState) const {
    if (column < 0 || column >= ColumnCount()) return {};
    if (column == kColCarbonation && newDataFormatState != 1) return m_captionCarbonationFactor;
    return m_captions[static_cast<std::size_t>(column)];
}

std::u16string CSeriesTable::HeaderExportCaption(int column) const {
    if (column < 0 || column >= ColumnCount()) return {};
    return m_exportCaptions[static_cast<std::size_t>(column)];
}

std::u16string CSeriesTable::HeaderExportLine() const {
    std::u16string out;
    for (const auto& c : m_exportCaptions) out += c;
    return out;
}

std::u16string CSeriesTable::DateTimeText(std::uint32_t seconds) const {
    return Text::FormatSeriesDateTime(seconds, m_datePattern, m_timePattern);
}

double CSeriesTable::MeanBarValue(const TStatistics& stats) {
    return HasMeanQ(stats) ? static_cast<double>(stats.MeanQ) : 0.0;
}

std::u16string CSeriesTable::CellText(const CHammerData& data, int series, const TStatistics& stats,
                                      int column) const {
    if (column < 0 || column >= ColumnCount()) return {};
    const TVantrelObject& s = data.Series(series);
    switch (column) {
        case kColImpactCounter:
            return IntText(s.ImpactCounter);
        case kColName:
            return s.Name;
        case kColDateTime:
            return DateTimeText(s.DateTime);
        case kColMeanValue: {
            const std::u16string unit = Model::GetUnitText(s.Unit);
            std::u16string text;
            if (IsConvertible(stats)) {
                text = Text::Format(u"%0.*f %s", Model::GetDisplayDecimals(s), stats.Converted, unit);
            } else {
                text = Text::Format(m_conversionNotPossible, unit);
                // A series without any mean (no readings, or a mode the program
                // does not compute) has no Q to name either.
                text += HasMeanQ(stats) ? Text::Format(u" (%0.1f Q)", stats.MeanQ) : u" (-- Q)";
            }
            if (stats.Invalid) text = m_invalidSeries + u" (" + text + u")";
            return text;
        }
        case kColAveragingMode:
            return Model::GetModeName(s.AveragingMode);
        case kColUpperOutliers:
            return IntText(Model::GetEffectiveUpperOutliers(s));
        case kColLowerOutliers:
            return IntText(Model::GetEffectiveLowerOutliers(s));
        case kColValidTotal:
            return IntText(stats.ValidCount) + u"/" + IntText(s.ReadingCount());
        case kColStdDev:
            if (!HasStdDev(s, stats)) return std::u16string(kNoFigure);
            return Text::Format(u"%0.*f %s", Model::GetDisplayDecimals(s), stats.ConvertedStdDev,
                                Model::GetUnitText(s.Unit));
        case kColCurve:
            return Model::GetCurveName(s.CurveId);
        case kColForm:
            return Model::GetFormText(s.FormCode, s.Unit == kUnitPSI, Model::GetSeriesFormFactor(s));
        case kColCarbonation:
            return Model::GetCarbonationText(s);
        case kColEnergy:
            if (IsNoValue(stats.MeanEnergy)) return std::u16string(kNoFigure);
            return Text::Format(u"%0.2f", stats.MeanEnergy);
        default:
            return {};
    }
}

std::u16string CSeriesTable::CellExportText(const CHammerData& data, int series, const TStatistics& stats,
                                            int column) const {
    std::u16string out;
    AppendCellExport(out, data, series, stats, column);
    return out;
}

void CSeriesTable::AppendCellExport(std::u16string& out, const CHammerData& data, int series,
                                    const TStatistics& stats, int column) const {
    if (column < 0 || column >= ColumnCount()) return;
    const TVantrelObject& s = data.Series(series);
    switch (column) {
        case kColImpactCounter:
            out += kCrLf;
            AppendInt(out, s.ImpactCounter);
            out += kTab;
            break;
        case kColName:
            AppendFieldText(out, s.Name);
            out += kTab;
            break;
        case kColDateTime:
            AppendFieldText(out, DateTimeText(s.DateTime));
            out += kTab;
            break;
        case kColMeanValue:
            if (!IsConvertible(stats)) {
                // The status says why there is no strength; the mean Q stands in
                // for it, in Q.
                out += m_statusNotPossible;
                out += kTab;
                if (HasMeanQ(stats))
                    out += Text::Format(u"%0.1f", stats.MeanQ);
                else
                    out += kNoFigure;
                out += u"\tQ\t";
            } else {
                out += stats.Invalid ? m_statusInvalid : m_statusValid;
                out += kTab;
                out += Text::Format(u"%0.*f", Model::GetDisplayDecimals(s), stats.Converted);
                out += kTab;
                AppendFieldText(out, Model::GetUnitText(s.Unit));
                out += kTab;
            }
            break;
        case kColAveragingMode:
            AppendFieldText(out, Model::GetModeName(s.AveragingMode));
            out += kTab;
            break;
        case kColUpperOutliers:
            AppendInt(out, Model::GetEffectiveUpperOutliers(s));
            out += kTab;
            break;
        case kColLowerOutliers:
            AppendInt(out, Model::GetEffectiveLowerOutliers(s));
            out += kTab;
            break;
        case kColValidTotal:
            AppendInt(out, stats.ValidCount);
            out += kTab;
            AppendInt(out, s.ReadingCount());
            out += kTab;
            break;
        case kColStdDev:
            if (HasStdDev(s, stats))
                out += Text::Format(u"%0.*f", Model::GetDisplayDecimals(s), stats.ConvertedStdDev);
            else
                out += kNoFigure;
            out += kTab;
            break;
        case kColCurve:
            AppendFieldText(out, Model::GetCurveName(s.CurveId));
            out += kTab;
            break;
        case kColForm: {
            // The factor the conversion really applied, so that the exported
            // factor and the "Cylinder (83%)" text beside it always agree.
            const double factor = Model::GetSeriesFormFactor(s);
            AppendFieldText(out, Model::GetFormText(s.FormCode, s.Unit == kUnitPSI, factor));
            out += kTab;
            out += Text::Format(u"%0.2f", factor);
            out += kTab;
            break;
        }
        case kColCarbonation: {
            constexpr std::uint8_t kLastDepthCode = 12;
            const std::uint8_t code = s.CarbonationCode;
            if (code <= kLastDepthCode) {
                const double factor = Model::GetCarbonationFactor(code);
                if (s.Unit == kUnitPSI)
                    out += Text::Format(u"%1.0f\tinch/100\t%0.2f\t", code * 2.0, factor);
                else
                    out += Text::Format(u"%0.1f\tmm\t%0.2f\t", code * 0.5, factor);
            } else {
                out += u"\t\t";
                AppendFieldText(out, Model::GetCarbonationText(s));
                out += kTab;
            }
            break;
        }
        case kColEnergy:
            if (IsNoValue(stats.MeanEnergy))
                out += kNoFigure;
            else
                out += Text::Format(u"%0.2f", stats.MeanEnergy);
            out += kTab;
            break;
        default:
            break;
    }
}

TTooltip CSeriesTable::CellTooltip(const CHammerData& data, int series, const TStatistics& stats,
                                   int column) const {
    if (column == kColMeanValue) {
        if (stats.Invalid) return InvalidSeriesTooltip(data, series, stats);
        if (!IsConvertible(stats)) return ConversionTooltip(data, series, stats);
        return {};
    }
    if (column == kColAveragingMode) return AveragingModeTooltip(data.GetAveragingMode(series));
    return {};
}

TTooltip CSeriesTable::InvalidSeriesTooltip(const CHammerData& data, int series, const TStatistics& stats) {
    const TVantrelObject& s = data.Series(series);
    TTooltip tip;
    if (s.AveragingMode == kModeMedianEN) {
        const long long total = s.ReadingCount();
        const long long invalid = total - stats.ValidCount;
        // Whole numbers first: a double quotient such as 29/50 * 100 falls just
        // short of 58 and would be cut to 57.
        const long long percent = total > 0 ? invalid * 100 / total : 0;
        tip.title = Text::LoadString(59426);
        tip.body = Text::FormatString(59429, percent, total, invalid);
    } else if (s.AveragingMode == kModeMeanASTM) {
        tip.title = Text::LoadString(59428);
        tip.body = Text::LoadString(59431);
    }
    return tip;
}

TTooltip CSeriesTable::AveragingModeTooltip(std::uint8_t mode) {
    struct SIds {
        unsigned title;
        unsigned body;
    };
    static constexpr SIds kByMode[] = {
        {59432, 59433},  // Single
        {59436, 59437},  // Median EN
        {59434, 59435},  // Mean
        {59438, 59439},  // Mean outlier
        {59440, 59441},  // Mean ASTM
        {59583, 59584},  // Median only
        {0, 0},          // Mean method JIS
        {59581, 59582},  // Mean JGJ
    };
    if (mode >= std::size(kByMode) || kByMode[mode].title == 0) return {};
    return {Text::LoadString(kByMode[mode].title), Text::LoadString(kByMode[mode].body)};
}

TTooltip CSeriesTable::ConversionTooltip(const CHammerData& data, int series, const TStatistics& stats) {
    if (!HasMeanQ(stats)) return {};
    const TVantrelObject& s = data.Series(series);
    const Model::TConversionMessage m = Model::GetConversionFailure(stats.MeanQ, s.CurveId, s.DeviceType);
    return {Text::LoadString(m.titleId), m.text};
}

std::u16string CSeriesTable::DetailExportText(const CHammerData& data, int series) const {
    std::u16string out;
    AppendDetailExport(out, data, series);
    return out;
}

void CSeriesTable::AppendDetailExport(std::u16string& out, const CHammerData& data, int series) const {
    const TVantrelObject& s = data.Series(series);
    AppendFieldText(out, s.SerialNumber);
    out += u"\t\"";
    AppendEscapedComment(out, s.Comment);
    out += u"\"\t";
    for (const TMeas& m : s.Readings) {
        out += HalfQText(m.QHalf);
        out += kTab;
    }
}

void CSeriesTable::AppendMainRowExport(std::u16string& out, const CHammerData& data, int series,
                                       const TStatistics& stats) const {
    const int columns = ColumnCount();
    for (int c = 0; c < columns; ++c) AppendCellExport(out, data, series, stats, c);
}

std::vector<std::u16string> CSeriesTable::SeriesExportFields(const CHammerData& data, int series,
                                                             const TStatistics& stats) const {
    std::u16string line;
    AppendMainRowExport(line, data, series, stats);
    AppendDetailExport(line, data, series);
    std::u16string_view rest(line);
    if (rest.starts_with(kCrLf)) rest.remove_prefix(kCrLf.size());
    // Every field ends in a tab and no field holds one.
    std::vector<std::u16string> fields;
    while (!rest.empty()) {
        const std::size_t end = rest.find(kTab);
        fields.emplace_back(rest.substr(0, end));
        if (end == std::u16string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return fields;
}

std::u16string CSeriesTable::ExportText(CHammerData& data) const {
    std::u16string out = HeaderExportLine();
    std::size_t estimate = out.size();
    for (int i = 0; i < data.GetCount(); ++i)
        estimate += 160 + data.Series(i).Name.size() + data.Series(i).Comment.size() +
                    static_cast<std::size_t>(data.GetReadingCount(i)) * 5;
    out.reserve(estimate);
    for (int i = 0; i < data.GetCount(); ++i) {
        const TStatistics stats = data.CalcStatistics(i);
        AppendMainRowExport(out, data, i, stats);
        AppendDetailExport(out, data, i);
    }
    return out;
}

std::u16string CSeriesTable::ClipboardText(CHammerData& data, std::span<const TRowSelection> rows) const {
    // The grid copies in row order, each row once.
    std::vector<TRowSelection> ordered(rows.begin(), rows.end());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const TRowSelection& a, const TRowSelection& b) { return a.series < b.series; });

    std::u16string out = HeaderExportLine();
    for (std::size_t k = 0; k < ordered.size(); ++k) {
        TRowSelection row = ordered[k];
        // Merge repeated entries of one series.
        while (k + 1 < ordered.size() && ordered[k + 1].series == row.series) {
            ++k;
            row.mainRow = row.mainRow || ordered[k].mainRow;
            row.detailRow = row.detailRow || ordered[k].detailRow;
        }
        if (row.mainRow) AppendMainRowExport(out, data, row.series, data.CalcStatistics(row.series));
        // A collapsed detail row has no height, and the grid leaves such rows out.
        if (row.detailRow && data.GetExpanded(row.series)) AppendDetailExport(out, data, row.series);
    }
    return out;
}

}  // namespace Report
