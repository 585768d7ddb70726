#pragma once
// The project as CSV and JSON for other programs. The CSV carries the fields of
// the text export; the JSON carries each series' settings, statistics,
// readings and flags as values (the no-value marker as null), so that a script
// never has to parse display texts.
#include <string>
#include <string_view>

class CChunkSink;
class CHammerData;
class CSummaryData;

namespace Report {
class CSeriesTable;
class CSummaryTexts;
}  // namespace Report

namespace ProjectExport {

// RFC 4180: UTF-8, CRLF line ends, fields quoted when they hold a comma, a
// double quote or a line break. One header record with the export captions,
// then one record per series with the export fields; the comment is the
// comment itself (the quoting keeps its line breaks), and every record has as
// many fields as the longest (readings fill the rest with empty fields).
void TableCsv(CHammerData& data, const Report::CSeriesTable& table, CChunkSink& out);
// A tab-separated text (the summary export) as CSV records, one per line.
std::string TextCsv(std::u16string_view text);

// A JSON array with one object per series (its readings on one line).
void TableJson(CHammerData& data, const Report::CSeriesTable& table, CChunkSink& out);
// A JSON object for summary entry 0; null when the summary has no values.
std::string SummaryJson(CSummaryData& summary, const Report::CSummaryTexts& texts);

// One CSV field, quoted when it needs to be.
void AppendCsvField(std::string& out, std::string_view utf8);

}  // namespace ProjectExport
