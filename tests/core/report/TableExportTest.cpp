// The table export text against export files written out by hand.
#include <gtest/gtest.h>

#include <algorithm>

#include "ReportTestSupport.h"
#include "core/text/TempDir.h"
#include "report/ExportFile.h"
#include "report/SeriesTable.h"

namespace {

using namespace ReportTest;
using Report::CSeriesTable;
using Report::TTableOptions;

class TableExport : public ::testing::Test {
  protected:
    CCurveStoreScope curves;
    CHammerData data;

    // Plain Mean series in N/mm²: 34.5 N/mm², spread 1.0.
    void AddWallA() {
        Add(data, {.impactCounter = 17, .name = u"Wall A", .q = {40, 40, 41, 41}});
        data.Series(data.GetCount() - 1).Readings[2].Energy = 520;
        data.Series(data.GetCount() - 1).Readings[3].Energy = 520;
    }
};

TEST_F(TableExport, EmptyTableIsTheHeaderLineAlone) {
    EXPECT_SAME_TEXT(FixtureText("header.txt"), CSeriesTable().ExportText(data));
    EXPECT_SAME_TEXT(FixtureText("header_energy.txt"),
                     CSeriesTable({.energyDisplay = true}).ExportText(data));
}

TEST_F(TableExport, OneCollapsedSeriesIsTwoLinesWithoutFinalLineEnd) {
    AddWallA();
    EXPECT_SAME_TEXT(FixtureText("one_series.txt"), CSeriesTable().ExportText(data));
}

TEST_F(TableExport, EnergyColumnSitsBeforeTheDetailFields) {
    AddWallA();
    EXPECT_SAME_TEXT(FixtureText("one_series_energy.txt"),
                     CSeriesTable({.energyDisplay = true}).ExportText(data));
}

TEST_F(TableExport, EveryKindOfSeriesInOneTable) {
    AddWallA();
    // Expanded, with a comment to escape; Mean outlier cuts one reading at each
    // end of ten; a cylinder whose factor comes from the strength class.
    Add(data, {.impactCounter = 18,
               .name = u"Column 3",
               .dateTime = 736590600,
               .mode = kModeMeanOutlier,
               .form = 20,
               .q = {36, 38, 39, 40, 40, 41, 41, 42, 43, 50},
               .serial = u"S-1002",
               .comment = u"Line one\r\nSay \"hi\"",
               .expanded = 1});
    // Below the curve's range.
    Add(data, {.impactCounter = 19, .name = u"Low", .dateTime = kMay4 + 60, .unit = kUnitMPa, .q = {12, 13}});
    // Median EN with 3 of 10 readings beyond 30 % of the median: invalid.
    Add(data, {.impactCounter = 20,
               .name = u"Slab",
               .dateTime = 0,
               .mode = kModeMedianEN,
               .unit = kUnitQ,
               .q = {40, 20, 40, 40, 60, 40, 40, 20, 40, 40}});
    // A carbonation factor (code 85) instead of a depth.
    Add(data, {.impactCounter = 21,
               .name = u"Carb factor",
               .dateTime = kMay4 + 3600,
               .carbonation = 85,
               .q = {40, 41, 42, 43}});
    // PSI: inch texts, depth code 3 is 6/100 inch.
    Add(data, {.impactCounter = 22,
               .name = u"Inch",
               .dateTime = kMay4 + 86400,
               .unit = kUnitPSI,
               .carbonation = 3,
               .q = {40, 40, 41, 41}});
    // One reading: no spread.
    Add(data, {.impactCounter = 23,
               .name = u"One",
               .dateTime = kMay4 + 12 * 3600,
               .mode = kModeSingle,
               .unit = kUnitQ,
               .q = {35}});

    EXPECT_SAME_TEXT(FixtureText("mixed_series.txt"), CSeriesTable().ExportText(data));
}

TEST_F(TableExport, WrittenFileIsTheFixtureByteForByte) {
    AddWallA();
    CTempDir dir;
    const auto file = dir / "export.txt";
    ASSERT_TRUE(Report::WriteExportFile(file, CSeriesTable().ExportText(data)));
    EXPECT_EQ(ReadBytes(FixturePath("one_series.txt")), ReadBytes(file));
}

TEST_F(TableExport, FreeTextsNeverSplitAFieldOrALine) {
    Add(data,
        {.name = u"Tab\there\r\nand\nthere", .q = {40, 41}, .serial = u"S\t1", .comment = u"a\tb\nc\rd"});
    const std::u16string text = CSeriesTable().ExportText(data);
    const std::u16string header = CSeriesTable().HeaderExportLine();
    const std::u16string line = text.substr(header.size());

    // One line, and as many fields as an ordinary series with two readings.
    ASSERT_TRUE(line.starts_with(u"\r\n"));
    EXPECT_EQ(line.find_first_of(u"\r\n", 2), std::u16string::npos);
    EXPECT_EQ(std::count(line.begin(), line.end(), u'\t'),
              18 + 2 + 2);  // 18 main-row fields, serial, comment, 2 readings
    EXPECT_NE(line.find(u"\tTab here and there\t"), std::u16string::npos);
    EXPECT_NE(line.find(u"\tS 1\t\"a b<br>c<br>d\"\t"), std::u16string::npos);
}

TEST_F(TableExport, ClipboardCarriesDetailFieldsOnlyOfExpandedSelectedSeries) {
    AddWallA();
    Add(data, {.impactCounter = 30, .name = u"B", .q = {40, 41}, .expanded = 1});
    Add(data, {.impactCounter = 31, .name = u"C", .q = {42, 43}});
    const CSeriesTable table;
    const std::u16string header = table.HeaderExportLine();

    const auto mainRow = [&](int i) {
        std::u16string s;
        table.AppendMainRowExport(s, data, i, data.CalcStatistics(i));
        return s;
    };
    const std::u16string full = table.ExportText(data);

    struct SCase {
        const char* what;
        std::vector<Report::TRowSelection> rows;
        std::u16string expected;
    };
    const SCase cases[] = {
        {"collapsed series: fields 1 to 18 only", {{0, true, true}}, header + mainRow(0)},
        {"expanded with its detail row: the whole export line",
         {{1, true, true}},
         header + mainRow(1) + table.DetailExportText(data, 1)},
        {"expanded, detail row not selected", {{1, true, false}}, header + mainRow(1)},
        {"every row selected equals the export",
         {{2, true, true}, {0, true, true}, {1, true, true}},
         header + mainRow(0) + mainRow(1) + table.DetailExportText(data, 1) + mainRow(2)},
        {"nothing selected: the header alone", {}, header},
    };
    for (const auto& c : cases) EXPECT_SAME_TEXT(c.expected, table.ClipboardText(data, c.rows)) << c.what;

    // Once expanded everywhere, selecting all rows copies exactly the export.
    for (int i = 0; i < data.GetCount(); ++i) data.Series(i).Expanded = 1;
    const std::vector<Report::TRowSelection> all = {{0, true, true}, {1, true, true}, {2, true, true}};
    EXPECT_SAME_TEXT(full, table.ClipboardText(data, all));
}

}  // namespace
