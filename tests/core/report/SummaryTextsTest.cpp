// The summary's texts and its export text.
#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "model/SummaryData.h"
#include "report/SummaryTexts.h"
#include "text/StringTable.h"

namespace {

using namespace ReportTest;
using namespace Report;

class SummaryTexts : public ::testing::Test {
  protected:
    CCurveStoreScope curves;
    CHammerData working;
    CSummaryData summary;

    // Four N/mm² series: 21.5 (no name), not convertible, 34.5 and 41.5.
    void AddFour() {
        Add(working, {.impactCounter = 5, .name = u"North", .q = {40, 40, 41, 41}});
        Add(working, {.impactCounter = 3, .q = {30, 30, 31, 31}});
        Add(working, {.impactCounter = 4, .name = u"Edge", .dateTime = 736590600, .q = {12, 13}});
        Add(working, {.impactCounter = 7, .name = u"East", .q = {44, 45, 45, 46}});
        ASSERT_TRUE(summary.BuildSummary(working));
        ASSERT_EQ(4, summary.GetValueCount(0));
    }
};

TEST_F(SummaryTexts, SingleSeriesHasTheTitleLineWithoutOrderLabel) {
    Add(working, {.impactCounter = 17, .name = u"Wall A", .q = {40, 40, 41, 41}});
    ASSERT_TRUE(summary.BuildSummary(working));
    summary.SetAveraging(0, kSummaryMean);
    summary.SetTitle(0, u"Site \"B\"\r\nEast");
    EXPECT_SAME_TEXT(FixtureText("summary_single.txt"), CSummaryTexts(0x0303).ExportText(summary));
}

TEST_F(SummaryTexts, MedianOrdersByValueUntilAnOrderIsChosen) {
    AddFour();
    summary.SetAveraging(0, kSummaryMedian);
    EXPECT_SAME_TEXT(FixtureText("summary_median.txt"), CSummaryTexts().ExportText(summary));
}

TEST_F(SummaryTexts, MeanOrdersByImpactCounterUntilAnOrderIsChosen) {
    AddFour();
    summary.SetAveraging(0, kSummaryMean);
    EXPECT_SAME_TEXT(FixtureText("summary_mean.txt"), CSummaryTexts().ExportText(summary));
}

TEST_F(SummaryTexts, DiagramOrders) {
    AddFour();
    // Entries in container order: North (5), "" (3), Edge (4, not convertible), East (7).
    struct SCase {
        int order;
        std::vector<int> expected;
        const char16_t* label;
    };
    const SCase cases[] = {
        {kOrderMeasurement, {1, 2, 0, 3}, u"[measurement order]"},
        {kOrderByValue, {1, 0, 3, 2}, u"[ordered by value]"},
        {kOrderByName, {1, 3, 2, 0}, u"[ordered by name]"},
    };
    const CSummaryTexts texts;
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, CSummaryTexts::DiagramOrder(summary, 0, c.order)) << c.order;
        EXPECT_EQ(c.label, texts.OrderLabel(c.order));
        summary.SetDiagramOrder(0, static_cast<std::int16_t>(c.order));
        EXPECT_NE(texts.ExportText(summary).find(std::u16string(u"Diagram of series  ") + c.label + u"\r\n"),
                  std::u16string::npos);
    }
    // Never chosen: by value for the median, by measurement for the mean; an
    // unknown stored order counts as measurement order.
    summary.SetDiagramOrder(0, -1);
    summary.SetAveraging(0, kSummaryMedian);
    EXPECT_EQ(kOrderByValue, CSummaryTexts::EffectiveDiagramOrder(summary, 0));
    summary.SetAveraging(0, kSummaryMean);
    EXPECT_EQ(kOrderMeasurement, CSummaryTexts::EffectiveDiagramOrder(summary, 0));
    summary.SetDiagramOrder(0, 7);
    EXPECT_EQ(kOrderMeasurement, CSummaryTexts::EffectiveDiagramOrder(summary, 0));
}

TEST_F(SummaryTexts, NamelessEntriesCompareByImpactCounterInNameOrder) {
    Add(working, {.impactCounter = 9, .q = {40, 41}});
    Add(working, {.impactCounter = 2, .q = {40, 41}});
    Add(working, {.impactCounter = 5, .name = u"A", .q = {40, 41}});
    ASSERT_TRUE(summary.BuildSummary(working));
    EXPECT_EQ((std::vector<int>{1, 0, 2}), CSummaryTexts::DiagramOrder(summary, 0, kOrderByName));
    EXPECT_EQ(u"9", CSummaryTexts::ShownName(summary.GetValue(0, 0)));
    EXPECT_EQ(u"A", CSummaryTexts::ShownName(summary.GetValue(0, 2)));
}

TEST_F(SummaryTexts, ScreenTexts) {
    AddFour();
    summary.SetAveraging(0, kSummaryMedian);
    const CSummaryTexts texts;
    const TSummaryStatisticsTexts st = texts.StatisticsTexts(summary, 0, summary.CalcSummaryStatistics(0));
    EXPECT_EQ((std::array<std::u16string, 4>{u"Total used series", u"Invalid series", u"Median",
                                             u"Standard deviation"}),
              st.labels);
    EXPECT_EQ((std::array<std::u16string, 4>{u"N", u"Ni", Text::LoadString(59415), u"s"}), st.symbols);
    EXPECT_EQ((std::array<std::u16string, 4>{u"= 3/4", u"= 0", u"= 34.5 N/mm\u00B2", u"= 10.1 N/mm\u00B2"}),
              st.values);

    EXPECT_EQ(u"34.5", texts.ValueListText(summary, 0, 0));
    EXPECT_EQ(u"--", texts.ValueListText(summary, 0, 2));
    EXPECT_EQ(u"Conversion not possible", texts.DiagramValueText(summary, 0, 2));
    EXPECT_EQ(u"3", CSummaryTexts::ShownName(summary.GetValue(0, 1)));

    const std::vector<TLabelValue> settings = texts.SettingsTexts(summary, 0);
    ASSERT_EQ(7u, settings.size());
    EXPECT_EQ(u"Date&Time", settings[6].label);
    EXPECT_EQ(u"05/05/2023 8:30 AM", settings[6].value);
    EXPECT_EQ(u"Averaging mode", settings[0].label);
    EXPECT_EQ(u"Mean", settings[0].value);
}

TEST_F(SummaryTexts, InvalidSeriesAndAllEqualCounts) {
    Add(working, {.impactCounter = 1, .q = {40, 40, 41, 41}});
    Add(working, {.impactCounter = 2, .mode = kModeMeanASTM, .q = {40, 40, 40, 40, 40, 40, 20, 20, 60}});
    ASSERT_TRUE(summary.BuildSummary(working));
    summary.SetAveraging(0, kSummaryMean);
    const TSummaryStatistics stats = summary.CalcSummaryStatistics(0);
    const TSummaryStatisticsTexts st = CSummaryTexts().StatisticsTexts(summary, 0, stats);
    EXPECT_EQ(u"= 2", st.values[0]);
    EXPECT_EQ(u"= 1", st.values[1]);
    const std::u16string text = CSummaryTexts().ExportText(summary);
    EXPECT_NE(text.find(u"\r\nTotal used series\tN\t2\r\nInvalid series\tNi\t1\r\n"), std::u16string::npos);
}

TEST_F(SummaryTexts, NothingToShowGivesNoValueNeverTheMarker) {
    // Every series outside its curve: nothing usable.
    Add(working, {.impactCounter = 1, .q = {12, 13}});
    Add(working, {.impactCounter = 2, .q = {70, 71}});
    ASSERT_TRUE(summary.BuildSummary(working));
    for (std::uint8_t averaging : {kSummaryMedian, kSummaryMean, std::uint8_t{0}}) {
        summary.SetAveraging(0, averaging);
        const std::u16string text = CSummaryTexts().ExportText(summary);
        EXPECT_EQ(text.find(u"65535"), std::u16string::npos) << Visible(text);
        EXPECT_NE(text.find(u"\tN\t0\t2\r\n"), std::u16string::npos) << Visible(text);
        EXPECT_NE(text.find(u"\tf\t--\tN/mm\u00B2\r\n"), std::u16string::npos) << Visible(text);
        EXPECT_NE(text.find(u"\ts\t--\tN/mm\u00B2\r\n"), std::u16string::npos) << Visible(text);
        const auto st = CSummaryTexts().StatisticsTexts(summary, 0, summary.CalcSummaryStatistics(0));
        EXPECT_EQ(u"= -- N/mm\u00B2", st.values[2]);
        EXPECT_EQ(u"= -- N/mm\u00B2", st.values[3]);
    }
}

TEST_F(SummaryTexts, EmptySummaryExportsNothing) {
    const CSummaryTexts texts;
    EXPECT_EQ(u"", texts.ExportText(summary));  // no entry at all
    Add(working, {.q = {40, 41}, .expanded = 0});
    working.Series(0).UseInSummary = 0;
    ASSERT_TRUE(summary.BuildSummary(working));
    EXPECT_EQ(u"", texts.ExportText(summary));  // an entry without values
    EXPECT_EQ("", CSummaryTexts::ClipboardBytes(texts.ExportText(summary)));
}

TEST_F(SummaryTexts, ClipboardIsWindows1252WithATerminatingZero) {
    EXPECT_EQ(std::string("N/mm\xB2\t\"x\"\0", 10), CSummaryTexts::ClipboardBytes(u"N/mm\u00B2\t\"x\""));
    EXPECT_EQ(std::string("?\0", 2), CSummaryTexts::ClipboardBytes(u"\u4E2D"));
}

}  // namespace
