#pragma once
// The texts of the series table: header captions, the text and the export text
// of every main-row cell, the tooltips, the detail row's export fields, and the
// whole table as export and clipboard text. The desktop table and the
// command-line program both take their texts from here, so they never differ.
//
// Built from the string table when constructed: after a language change, make
// a new one. It keeps no series data, only the loaded texts, and is safe to
// share between threads once built.
//
// The per-cell functions take the series' statistics from the caller: a table
// model computes them once per row refresh (CHammerData::CalcStatistics) and
// passes them to every cell of that row.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/Statistics.h"

class CHammerData;

namespace Report {

enum EColumn : int {
    kColImpactCounter = 0,
    kColName = 1,
    kColDateTime = 2,
    kColMeanValue = 3,
    kColAveragingMode = 4,
    kColUpperOutliers = 5,
    kColLowerOutliers = 6,
    kColValidTotal = 7,
    kColStdDev = 8,
    kColCurve = 9,
    kColForm = 10,
    kColCarbonation = 11,
    kColEnergy = 12,  // only with the energy display
};

struct TTableOptions {
    bool energyDisplay = false;  // the document's EnergyDisplay flag (program started with -Energy)
    std::uint32_t dtFormat = 0;  // the user's DTFormat setting: which date and time patterns
};

struct TTooltip {
    std::u16string title;
    std::u16string body;
    bool IsEmpty() const { return title.empty() && body.empty(); }
};

// Rows of one series the user selected in the table (for the clipboard text).
struct TRowSelection {
    int series = 0;
    bool mainRow = true;
    bool detailRow = false;  // counts only while the series is expanded
};

class CSeriesTable {
  public:
    explicit CSeriesTable(const TTableOptions& options = {});

    const TTableOptions& Options() const { return m_options; }
    // 13 with the energy column, else 12.
    int ColumnCount() const;

    // --- Header -------------------------------------------------------------
    // The visible caption. Column 11 reads "Carb. depth" only while no series
    // is in the newer download format (state 1 of GetNewDataFormatState).
    std::u16string HeaderCaption(int column, int newDataFormatState) const;
    // The column's part of the export header line, tabs included.
    std::u16string HeaderExportCaption(int column) const;
    // Every export caption in column order: the first line of the export.
    std::u16string HeaderExportLine() const;

    // --- Main-row cells -------------------------------------------------------
    // Empty texts for a column outside the table.
    std::u16string CellText(const CHammerData& data, int series, const TStatistics& stats, int column) const;
    std::u16string CellExportText(const CHammerData& data, int series, const TStatistics& stats,
                                  int column) const;
    // Column 3 (kind 0 for an invalid series, else kind 2 when the mean cannot
    // be converted) and column 4 (kind 1); every other cell has none.
    TTooltip CellTooltip(const CHammerData& data, int series, const TStatistics& stats, int column) const;

    // The bar length of the mean value cell, on its scale of 0 to 100: the mean
    // Q, or 0 when the series has none.
    static double MeanBarValue(const TStatistics& stats);

    // Kind 0: why a Median EN or Mean ASTM series is invalid; empty for other modes.
    static TTooltip InvalidSeriesTooltip(const CHammerData& data, int series, const TStatistics& stats);
    // Kind 1: what the averaging mode does; empty for modes without an explanation.
    static TTooltip AveragingModeTooltip(std::uint8_t mode);
    // Kind 2: the mean Q lies outside the curve's range; empty when there is no mean Q.
    static TTooltip ConversionTooltip(const CHammerData& data, int series, const TStatistics& stats);

    // A series time stamp in the user's patterns: date, one blank, time.
    std::u16string DateTimeText(std::uint32_t seconds) const;

    // --- Detail row -------------------------------------------------------------
    // Serial, TAB, the quoted and escaped comment, TAB, then every reading
    // "%0.1f" followed by a TAB.
    std::u16string DetailExportText(const CHammerData& data, int series) const;

    // --- Whole lines and texts ----------------------------------------------------
    // The export texts of every main-row cell, concatenated: CRLF first.
    void AppendMainRowExport(std::u16string& out, const CHammerData& data, int series,
                             const TStatistics& stats) const;
    void AppendDetailExport(std::u16string& out, const CHammerData& data, int series) const;

    // The fields of a series' export line one by one (without the tabs), in the
    // order of the export header: for writers of other formats.
    std::vector<std::u16string> SeriesExportFields(const CHammerData& data, int series,
                                                   const TStatistics& stats) const;

    // The table export: the header line, then one line per series in the
    // container's order, each beginning with CRLF; no line end at the end.
    // Computes each series' statistics (which rewrites its reading flags).
    std::u16string ExportText(CHammerData& data) const;

    // What Copy puts on the clipboard: the header line, then for each selected
    // series in table order its main row and, while it is expanded and its
    // detail row is selected, the detail fields.
    std::u16string ClipboardText(CHammerData& data, std::span<const TRowSelection> rows) const;

  private:
    void AppendCellExport(std::u16string& out, const CHammerData& data, int series, const TStatistics& stats,
                          int column) const;

    TTableOptions m_options;
    std::u16string m_datePattern;
    std::u16string m_timePattern;
    std::vector<std::u16string> m_captions;        // visible captions, column 11 in its depth form
    std::u16string m_captionCarbonationFactor;     // column 11 while series are in the newer format
    std::vector<std::u16string> m_exportCaptions;  // per column, tabs included
    std::u16string m_invalidSeries;                // "Invalid series"
    std::u16string m_conversionNotPossible;        // "Conversion to %s not possible"
    std::u16string m_statusValid;
    std::u16string m_statusInvalid;
    std::u16string m_statusNotPossible;
};

}  // namespace Report
