// Cell texts, header captions and tooltips of the series table.
#include <gtest/gtest.h>

#include <memory>

#include "ReportTestSupport.h"
#include "model/Statistics.h"
#include "report/SeriesTable.h"
#include "text/StringTable.h"

namespace {

using namespace ReportTest;
using namespace Report;

class SeriesTable : public ::testing::Test {
  protected:
    CCurveStoreScope curves;
    CHammerData data;

    std::vector<std::u16string> Cells(const CSeriesTable& table, int series) {
        const TStatistics stats = data.CalcStatistics(series);
        std::vector<std::u16string> cells;
        for (int c = 0; c < table.ColumnCount(); ++c) cells.push_back(table.CellText(data, series, stats, c));
        return cells;
    }
    std::u16string Cell(int series, int column, const TTableOptions& options = {}) {
        return CSeriesTable(options).CellText(data, series, data.CalcStatistics(series), column);
    }
    std::u16string ExportCell(int series, int column, const TTableOptions& options = {}) {
        return CSeriesTable(options).CellExportText(data, series, data.CalcStatistics(series), column);
    }
    TTooltip Tip(int series, int column) {
        return CSeriesTable().CellTooltip(data, series, data.CalcStatistics(series), column);
    }
};

TEST_F(SeriesTable, MainRowOfAPlainSeries) {
    const int i = Add(data, {.impactCounter = 17, .name = u"Wall A", .q = {40, 40, 41, 41}, .energy = 510});
    const std::vector<std::u16string> expected = {
        u"17",  u"Wall A",         u"05/04/2023 1:07 PM", u"34.5 N/mm\u00B2", u"Mean",   u"0",    u"0",
        u"4/4", u"1.0 N/mm\u00B2", u"B-TOLVEX",           u"Cube 150mm",      u"0.0 mm", u"0.51",
    };
    EXPECT_EQ(expected, Cells(CSeriesTable({.energyDisplay = true}), i));
    EXPECT_EQ(12u, Cells(CSeriesTable(), i).size());
    EXPECT_EQ(u"", Cell(i, kColEnergy));  // no such column without the energy display
}

TEST_F(SeriesTable, MeanValueCellInItsForms) {
    struct SCase {
        const char* what;
        TSeriesSetup setup;
        std::u16string text;
        std::u16string exportText;
    };
    const SCase cases[] = {
        {"converted", {.q = {40, 40, 41, 41}}, u"34.5 N/mm\u00B2", u"Valid\t34.5\tN/mm\u00B2\t"},
        {"below the curve",
         {.unit = kUnitMPa, .q = {12, 13}},
         u"Conversion to MPa not possible (12.5 Q)",
         u"Conversion not possible\t12.5\tQ\t"},
        {"above the curve",
         {.unit = kUnitKgCm2, .q = {70, 70}},
         u"Conversion to kg/cm\u00B2 not possible (70.0 Q)",
         u"Conversion not possible\t70.0\tQ\t"},
        {"invalid",
         {.mode = kModeMedianEN, .unit = kUnitQ, .q = {40, 20, 40, 40, 60, 40, 40, 20, 40, 40}},
         u"Invalid series (40.0 Q)",
         u"Invalid\t40.0\tQ\t"},
        // An invalid series whose mean cannot be converted keeps the
        // not-possible export: there is no strength to call invalid.
        {"invalid and not convertible",
         {.mode = kModeMeanASTM, .unit = kUnitMPa, .q = {12, 12, 12, 12, 12, 12, 30, 30, 30}},
         u"Invalid series (Conversion to MPa not possible (12.0 Q))",
         u"Conversion not possible\t12.0\tQ\t"},
        {"PSI without decimals",
         {.unit = kUnitPSI, .carbonation = 3, .q = {40, 40, 41, 41}},
         u"4450 PSI",
         u"Valid\t4450\tPSI\t"},
        {"kg/cm2 without decimals",
         {.unit = kUnitKgCm2, .q = {40, 40, 41, 41}},
         u"350 kg/cm\u00B2",
         u"Valid\t350\tkg/cm\u00B2\t"},
    };
    for (const auto& c : cases) {
        data.Clear();
        const int i = Add(data, c.setup);
        EXPECT_EQ(Visible(c.text), Visible(Cell(i, kColMeanValue))) << c.what;
        EXPECT_EQ(Visible(c.exportText), Visible(ExportCell(i, kColMeanValue))) << c.what;
    }
}

TEST_F(SeriesTable, OutlierColumnsShowTheCountsTheModeUses) {
    struct SCase {
        std::uint8_t mode;
        int readings;
        const char* upper;
        const char* lower;
    };
    const SCase cases[] = {
        {kModeMean, 10, "2", "1"},        {kModeMedianOnly, 10, "2", "1"}, {kModeMeanOutlier, 10, "1", "1"},
        {kModeMeanOutlier, 60, "9", "9"}, {kModeMeanJGJ, 16, "3", "3"},    {kModeMedianEN, 10, "0", "0"},
        {kModeMeanASTM, 10, "0", "0"},    {kModeSingle, 1, "0", "0"},
    };
    for (const auto& c : cases) {
        data.Clear();
        const int i =
            Add(data, {.mode = c.mode, .q = std::vector<double>(c.readings, 40.0), .upper = 2, .lower = 1});
        EXPECT_EQ(Text::Widen(c.upper), Cell(i, kColUpperOutliers)) << int(c.mode);
        EXPECT_EQ(Text::Widen(c.lower), Cell(i, kColLowerOutliers)) << int(c.mode);
        EXPECT_EQ(Text::Widen(c.upper) + u"\t", ExportCell(i, kColUpperOutliers)) << int(c.mode);
        EXPECT_EQ(Text::Widen(c.lower) + u"\t", ExportCell(i, kColLowerOutliers)) << int(c.mode);
    }
}

TEST_F(SeriesTable, StandardDeviationNeedsTwoReadingsAndAConvertedSpread) {
    const int one = Add(data, {.mode = kModeSingle, .unit = kUnitQ, .q = {35}});
    const int low = Add(data, {.unit = kUnitMPa, .q = {12, 13}});
    const int two = Add(data, {.q = {40, 40, 41, 41}});
    EXPECT_EQ(u"--", Cell(one, kColStdDev));
    EXPECT_EQ(u"--\t", ExportCell(one, kColStdDev));
    EXPECT_EQ(u"--", Cell(low, kColStdDev));
    EXPECT_EQ(u"1.0 N/mm\u00B2", Cell(two, kColStdDev));
    EXPECT_EQ(u"1.0\t", ExportCell(two, kColStdDev));
}

TEST_F(SeriesTable, FormAndCarbonationTexts) {
    struct SCase {
        const char* what;
        TSeriesSetup setup;
        std::u16string form, formExport, carbonation, carbonationExport;
    };
    const SCase cases[] = {
        {"metric depth",
         {.carbonation = 4, .q = {40, 41}},
         u"Cube 150mm",
         u"Cube 150mm\t1.00\t",
         u"2.0 mm",
         u"2.0\tmm\t0.85\t"},
        {"inch depth",
         {.unit = kUnitPSI, .form = 0, .carbonation = 12, .q = {40, 41}},
         u"Cylinder 4 * 8\"",
         u"Cylinder 4 * 8\"\t0.86\t",
         u"24/100\"",
         u"24\tinch/100\t0.62\t"},
        {"factor code",
         {.carbonation = 85, .q = {40, 41}},
         u"Cube 150mm",
         u"Cube 150mm\t1.00\t",
         u"0.85",
         u"\t\t0.85\t"},
        {"factor code 13",
         {.carbonation = 13, .q = {40, 41}},
         u"Cube 150mm",
         u"Cube 150mm\t1.00\t",
         u"0.13",
         u"\t\t0.13\t"},
        {"form in percent",
         {.form = 90, .q = {40, 41}},
         u"90%",
         u"90%\t0.90\t",
         u"0.0 mm",
         u"0.0\tmm\t1.00\t"},
        // The exported factor is the one the conversion applied (34.5 N/mm²
        // falls in the class from 30 to 37), the same as the text beside it.
        {"cylinder by strength class",
         {.form = 20, .q = {40, 41}},
         u"Cylinder (83%)",
         u"Cylinder (83%)\t0.83\t",
         u"0.0 mm",
         u"0.0\tmm\t1.00\t"},
    };
    for (const auto& c : cases) {
        data.Clear();
        const int i = Add(data, c.setup);
        EXPECT_EQ(Visible(c.form), Visible(Cell(i, kColForm))) << c.what;
        EXPECT_EQ(Visible(c.formExport), Visible(ExportCell(i, kColForm))) << c.what;
        EXPECT_EQ(Visible(c.carbonation), Visible(Cell(i, kColCarbonation))) << c.what;
        EXPECT_EQ(Visible(c.carbonationExport), Visible(ExportCell(i, kColCarbonation))) << c.what;
    }
}

TEST_F(SeriesTable, DateAndTimeFollowTheUsersPatterns) {
    const int i = Add(data, {.dateTime = kMay4, .q = {40}});
    struct SCase {
        std::uint32_t dtFormat;
        const char16_t* text;
    };
    const SCase cases[] = {
        {0x0000, u"05/04/2023 1:07 PM"},
        {0x0101, u"04-05-2023 1:07P"},
        {0x0202, u"04/05/2023 13:07"},
        {0x0303, u"04.05.2023 13:07"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Visible(c.text), Visible(Cell(i, kColDateTime, {.dtFormat = c.dtFormat}))) << c.dtFormat;
        EXPECT_EQ(Visible(std::u16string(c.text) + u"\t"),
                  Visible(ExportCell(i, kColDateTime, {.dtFormat = c.dtFormat})));
    }
}

TEST_F(SeriesTable, HeaderCaptions) {
    const CSeriesTable plain;
    const CSeriesTable energy({.energyDisplay = true});
    EXPECT_EQ(12, plain.ColumnCount());
    EXPECT_EQ(13, energy.ColumnCount());

    // Column 11 says "Carb. depth" only while no series is in the newer format.
    for (int state : {-1, 0, 1, 2})
        EXPECT_EQ(state == 1 ? u"Carb. depth" : u"Carbonation factor",
                  plain.HeaderCaption(kColCarbonation, state))
            << state;
    EXPECT_EQ(u"Energy", energy.HeaderCaption(kColEnergy, 1));
    EXPECT_EQ(u"", plain.HeaderCaption(kColEnergy, 1));
    EXPECT_EQ(u"Mean value", plain.HeaderCaption(kColMeanValue, 1));
    EXPECT_EQ(u"Upper outliers", plain.HeaderCaption(kColUpperOutliers, 1));

    EXPECT_EQ(u"Status\tMean value\tUnit\t", plain.HeaderExportCaption(kColMeanValue));
    EXPECT_EQ(u"Valid\tTotal\t", plain.HeaderExportCaption(kColValidTotal));
    EXPECT_EQ(u"Carb. depth\tCarb. depth unit\tCarb-Factor\tSerial\tComment\tQ-Values\t",
              plain.HeaderExportCaption(kColCarbonation));
    EXPECT_EQ(u"Carb. depth\tCarb. depth unit\tCarb-Factor\t", energy.HeaderExportCaption(kColCarbonation));
    EXPECT_EQ(u"Energy\tSerial\tComment\tQ-Values", energy.HeaderExportCaption(kColEnergy));
}

TEST_F(SeriesTable, DetailExportFields) {
    const int i =
        Add(data, {.q = {12.5, 40, 0, 127.5}, .serial = u"123-4", .comment = u"Two\r\nlines \"quoted\""});
    const int empty = Add(data, {.q = {}, .serial = u"", .comment = u""});
    EXPECT_EQ(Visible(u"123-4\t\"Two<br>lines &quotquoted&quot\"\t12.5\t40.0\t0.0\t127.5\t"),
              Visible(CSeriesTable().DetailExportText(data, i)));
    EXPECT_EQ(Visible(u"\t\"\"\t"), Visible(CSeriesTable().DetailExportText(data, empty)));
}

TEST_F(SeriesTable, ExportFieldsOneByOne) {
    const int i = Add(data, {.impactCounter = 17, .name = u"Wall A", .q = {40, 40, 41, 41}, .energy = 510});
    const CSeriesTable table({.energyDisplay = true});
    const std::vector<std::u16string> expected = {
        u"17",       u"Wall A",     u"05/04/2023 1:07 PM",
        u"Valid",    u"34.5",       u"N/mm\u00B2",
        u"Mean",     u"0",          u"0",
        u"4",        u"4",          u"1.0",
        u"B-TOLVEX", u"Cube 150mm", u"1.00",
        u"0.0",      u"mm",         u"1.00",
        u"0.51",     u"S-1001",     u"\"\"",
        u"40.0",     u"40.0",       u"41.0",
        u"41.0",
    };
    EXPECT_EQ(expected, table.SeriesExportFields(data, i, data.CalcStatistics(i)));
}

TEST_F(SeriesTable, MeanValueTooltipExplainsInvalidityOrTheConversion) {
    struct SCase {
        const char* what;
        TSeriesSetup setup;
        unsigned title;
        std::u16string body;
    };
    const SCase cases[] = {
        {"valid and converted: none", {.q = {40, 41}}, 0, u""},
        {"Median EN, 3 of 10 invalid",
         {.mode = kModeMedianEN, .unit = kUnitQ, .q = {40, 20, 40, 40, 60, 40, 40, 20, 40, 40}},
         59426,
         u"This series is invalid because more than 20% of the measurements are invalid. \n\n30% (10 total, "
         u"3 "
         u"invalid) of all measurements invalid."},
        {"Mean ASTM, invalid",
         {.mode = kModeMeanASTM, .q = {40, 40, 40, 40, 40, 40, 20, 20, 60}},
         59428,
         Text::LoadString(59431)},
        {"invalid JGJ has no explanation",
         {.mode = kModeMeanJGJ, .q = std::vector<double>(10, 40.0)},
         0,
         u""},
        {"invalid beats not convertible",
         {.mode = kModeMeanASTM, .unit = kUnitMPa, .q = {12, 12, 12, 12, 12, 12, 30, 30, 30}},
         59428,
         Text::LoadString(59431)},
        {"too low",
         {.unit = kUnitMPa, .q = {12, 13}},
         59452,
         u"The measured Q-Value (12.5 Q) is too low to convert using the conversion curve B-TOLVEX.\n\nValid "
         u"range: 19 to 61 Q."},
        {"too high",
         {.unit = kUnitMPa, .q = {70, 71}},
         59452,
         u"The measured Q-Value (70.5 Q) is too high to convert using the conversion curve "
         u"B-TOLVEX.\n\nValid "
         u"range: 19 to 61 Q."},
    };
    for (const auto& c : cases) {
        data.Clear();
        const int i = Add(data, c.setup);
        const TTooltip tip = Tip(i, kColMeanValue);
        EXPECT_EQ(c.title ? Text::LoadString(c.title) : u"", tip.title) << c.what;
        EXPECT_EQ(Visible(c.body), Visible(tip.body)) << c.what;
    }
}

TEST_F(SeriesTable, InvalidPercentageIsCutFromWholeNumbers) {
    // 29 of 50 readings beyond the band: 58 %, where a double quotient would
    // give 57.999... and be cut to 57.
    std::vector<double> q(15, 10.0);
    q.insert(q.end(), 21, 40.0);
    q.insert(q.end(), 14, 80.0);
    const int i = Add(data, {.mode = kModeMedianEN, .unit = kUnitQ, .q = q});
    EXPECT_EQ(
        Visible(u"This series is invalid because more than 20% of the measurements are invalid. \n\n58% (50 "
                u"total, 29 invalid) of all measurements invalid."),
        Visible(Tip(i, kColMeanValue).body));
}

TEST_F(SeriesTable, AveragingModeTooltipByMode) {
    struct SCase {
        std::uint8_t mode;
        unsigned title;
        unsigned body;
    };
    const SCase cases[] = {
        {0, 59432, 59433}, {1, 59436, 59437}, {2, 59434, 59435}, {3, 59438, 59439}, {4, 59440, 59441},
        {5, 59583, 59584}, {6, 0, 0},         {7, 59581, 59582}, {8, 0, 0},         {200, 0, 0},
    };
    for (const auto& c : cases) {
        const TTooltip tip = CSeriesTable::AveragingModeTooltip(c.mode);
        EXPECT_EQ(c.title ? Text::LoadString(c.title) : u"", tip.title) << int(c.mode);
        EXPECT_EQ(c.body ? Text::LoadString(c.body) : u"", tip.body) << int(c.mode);
    }
    // Column 4 carries it, also for an invalid series; other columns carry none.
    const int i =
        Add(data, {.mode = kModeMedianEN, .unit = kUnitQ, .q = {40, 20, 40, 40, 60, 40, 40, 20, 40, 40}});
    EXPECT_EQ(Text::LoadString(59436), Tip(i, kColAveragingMode).title);
    for (int column : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11}) EXPECT_TRUE(Tip(i, column).IsEmpty()) << column;
}

TEST_F(SeriesTable, NoValueMarkerIsNeverShown) {
    // Series without a mean: no readings, cuts that leave none, and the two
    // modes the program names but does not compute.
    Add(data, {.q = {}});
    Add(data, {.mode = kModeMean, .q = {40, 41}, .upper = 1, .lower = 1});
    Add(data, {.mode = 6, .q = {40, 41}});
    Add(data, {.mode = 8, .unit = kUnitQ, .q = {40, 41}});
    Add(data, {.mode = kModeMedianEN, .q = {}});
    const CSeriesTable table({.energyDisplay = true});
    for (int i = 0; i < data.GetCount(); ++i) {
        const TStatistics stats = data.CalcStatistics(i);
        for (int c = 0; c < table.ColumnCount(); ++c) {
            for (const std::u16string& t :
                 {table.CellText(data, i, stats, c), table.CellExportText(data, i, stats, c),
                  table.CellTooltip(data, i, stats, c).title, table.CellTooltip(data, i, stats, c).body}) {
                EXPECT_EQ(t.find(u"65535"), std::u16string::npos) << i << "/" << c << ": " << Visible(t);
            }
        }
        EXPECT_EQ(Visible(u"Conversion to " + data.GetUnitText(i) + u" not possible (-- Q)"),
                  Visible(table.CellText(data, i, stats, kColMeanValue)))
            << i;
        EXPECT_EQ(u"Conversion not possible\t--\tQ\t", table.CellExportText(data, i, stats, kColMeanValue))
            << i;
        EXPECT_EQ(u"--", table.CellText(data, i, stats, kColEnergy)) << i;
        EXPECT_EQ(0.0, CSeriesTable::MeanBarValue(stats));
    }
    EXPECT_EQ(table.ExportText(data).find(u"65535"), std::u16string::npos);
}

TEST_F(SeriesTable, TextsComeFromTheLanguageModule) {
    struct SRestore {
        ~SRestore() { Text::SetLanguageOverrides(nullptr); }
    } restore;
    auto german = std::make_shared<Text::LanguageTexts>();
    (*german)[59514] = u"G\u00FCltig";
    (*german)[59394] = u"Ung\u00FCltige Serie";
    (*german)[1600] = u"Schlagz\u00E4hler";
    (*german)[59486] = u"Mittelwert";
    Text::SetLanguageOverrides(german);

    const int valid = Add(data, {.q = {40, 41}});
    const int invalid =
        Add(data, {.mode = kModeMedianEN, .unit = kUnitQ, .q = {40, 20, 40, 40, 60, 40, 40, 20, 40, 40}});
    const CSeriesTable table;
    EXPECT_TRUE(table.HeaderExportLine().starts_with(u"Schlagz\u00E4hler\t"));
    EXPECT_TRUE(table.CellExportText(data, valid, data.CalcStatistics(valid), kColMeanValue)
                    .starts_with(u"G\u00FCltig\t"));
    EXPECT_EQ(u"Ung\u00FCltige Serie (40.0 Q)",
              table.CellText(data, invalid, data.CalcStatistics(invalid), kColMeanValue));
    EXPECT_EQ(u"Mittelwert", table.CellText(data, valid, data.CalcStatistics(valid), kColAveragingMode));
}

}  // namespace
