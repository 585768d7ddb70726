#pragma once
// The texts of the summary: its statistics, settings, values and diagram order
// as the summary view shows them, and the summary's export and clipboard text.
//
// Built from the string table when constructed: after a language change, make
// a new one. The caller rebuilds the summary (CSummaryData::BuildSummary)
// before asking; the statistics come from the caller where a function takes
// them, computed with the entry's own averaging type.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/VantrelObjectSummary.h"

class CSummaryData;

namespace Report {

// Diagram orders of a summary.
inline constexpr int kOrderMeasurement = 0;  // by impact counter
inline constexpr int kOrderByValue = 1;
inline constexpr int kOrderByName = 2;

// The statistics block: four lines of label, symbol and value.
struct TSummaryStatisticsTexts {
    std::array<std::u16string, 4> labels;
    std::array<std::u16string, 4> symbols;
    std::array<std::u16string, 4> values;  // as shown: "= 3", "= 3/4", "= 31.5 N/mm²", "= -- N/mm²"
};

struct TLabelValue {
    std::u16string label;
    std::u16string value;
};

class CSummaryTexts {
  public:
    explicit CSummaryTexts(std::uint32_t dtFormat = 0);

    // The order the diagram uses: the stored one, or for a summary whose order
    // was never chosen by value when it shows the median, else measurement
    // order. An order the program does not know counts as measurement order.
    static int EffectiveDiagramOrder(const CSummaryData& summary, int entry);
    // "[measurement order]", "[ordered by value]", "[ordered by name]".
    std::u16string OrderLabel(int order) const;
    // Indices of the entry's values in the diagram's order. Ties keep the
    // entries' own order; two values without names compare by impact counter.
    static std::vector<int> DiagramOrder(const CSummaryData& summary, int entry, int order);
    static std::vector<int> DiagramOrder(const CSummaryData& summary, int entry);

    // A value in the list of values: "%0.*f", or "--" when not convertible.
    std::u16string ValueListText(const CSummaryData& summary, int entry, int value) const;
    // A value above its bar: "%0.*f", or "Conversion not possible".
    std::u16string DiagramValueText(const CSummaryData& summary, int entry, int value) const;
    // The name under a bar before it is shortened to fit: the name, or the
    // impact counter when the series has none.
    static std::u16string ShownName(const TMeasConverted& value);

    // "Median" or "Mean value": the clickable statistics label.
    std::u16string AveragingLabel(const CSummaryData& summary, int entry) const;
    TSummaryStatisticsTexts StatisticsTexts(const CSummaryData& summary, int entry,
                                            const TSummaryStatistics& stats) const;
    // The seven lines of the settings block; the last is the latest series time.
    std::vector<TLabelValue> SettingsTexts(const CSummaryData& summary, int entry) const;
    std::u16string DateTimeText(std::uint32_t seconds) const;

    // The summary export: empty when the entry has no values (or does not exist).
    std::u16string ExportText(const CSummaryData& summary, int entry, const TSummaryStatistics& stats) const;
    // The same, computing the statistics with the entry's averaging type (which
    // rewrites the entry's value flags).
    std::u16string ExportText(CSummaryData& summary, int entry = 0) const;

    // The summary as 8-bit clipboard text: the export text in Windows-1252
    // (characters it lacks become '?'), ending in a zero byte. Empty (not even
    // the zero byte) when the export text is empty: nothing is copied then.
    static std::string ClipboardBytes(std::u16string_view exportText);

  private:
    std::u16string m_datePattern;
    std::u16string m_timePattern;
};

}  // namespace Report
