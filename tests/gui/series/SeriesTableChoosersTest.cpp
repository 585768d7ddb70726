// The series table's choosers applied to the selected series: unit, mode
// (and the merge of single series), outliers, the other choosers and the time.
#include <gtest/gtest.h>

#include <QApplication>

#include "SeriesTableFixture.h"
#include "SeriesTestSupport.h"
#include "ui/grid/GridCellBar.h"
#include "ui/grid/GridView.h"
#include "views/series/ColorScheme.h"
#include "views/series/SeriesView.h"

namespace {

using namespace SeriesTest;

TEST_F(SeriesTable, TheUnitChooserChangesOnlyWhatASeriesCanShow) {
    scope.Add({.mode = kModeSingle, .unit = kUnitQ, .q = {40}});
    scope.Add({.q = {40, 41}});
    scope.Add({.mode = kModeSingle, .unit = kUnitQ, .q = {42}});
    Open();
    Select({0, 1});
    ui.menuAnswers = {6};  // MPa
    RightClick(1, Report::kColMeanValue);
    ASSERT_EQ(1u, ui.menus.size());
    EXPECT_EQ(EChooserStrip::kUnit, ui.menus[0].strip);
    EXPECT_EQ(6u, ui.menus[0].items.size());
    EXPECT_EQ(kUnitQ, scope.Data().GetUnit(0));
    EXPECT_EQ(kUnitMPa, scope.Data().GetUnit(1));
    EXPECT_EQ(kUnitQ, scope.Data().GetUnit(2));
    EXPECT_TRUE(Text(1, 3).endsWith(QStringLiteral("MPa"))) << Utf8(Text(1, 3));
    EXPECT_TRUE(Grid().IsRowSelected(0));  // the selection stays

    // Only Single series selected: R and Q alone.
    Select({0, 2});
    ui.menuAnswers = {1};
    RightClick(0, Report::kColMeanValue);
    ASSERT_EQ(2u, ui.menus.size());
    ASSERT_EQ(2u, ui.menus[1].items.size());
    EXPECT_EQ(u"R", ui.menus[1].items[0].text);
    EXPECT_EQ(u"Q", ui.menus[1].items[1].text);
    EXPECT_EQ(kUnitR, scope.Data().GetUnit(0));
    EXPECT_EQ(kUnitR, scope.Data().GetUnit(2));
}

TEST_F(SeriesTable, TheModeChooserLeavesSingleSeriesAloneAndTheModelRefusesJgjBelowSeven) {
    scope.Add({.q = Readings(6)});
    scope.Add({.q = Readings(7)});
    scope.Add({.mode = kModeSingle, .q = {40}});
    Open();
    Select({0, 1, 2});
    ui.menuAnswers = {kModeMeanJGJ};
    RightClick(0, Report::kColAveragingMode);
    ASSERT_EQ(1u, ui.menus.size());
    EXPECT_EQ(6u, ui.menus[0].items.size());
    EXPECT_EQ(kModeMean, scope.Data().GetAveragingMode(0));
    EXPECT_EQ(kModeMeanJGJ, scope.Data().GetAveragingMode(1));
    EXPECT_EQ(kModeSingle, scope.Data().GetAveragingMode(2));
    EXPECT_EQ(QStringLiteral("Mean JGJ"), Text(1, 4));
}

TEST_F(SeriesTable, TheModeChooserOfSingleSeriesOffersToMergeThem) {
    scope.Add({.mode = kModeSingle, .q = {40}});
    scope.Add({.mode = kModeSingle, .q = {41}});
    scope.Add({.mode = kModeSingle, .q = {42}});
    Open();
    // One Single series: nothing at all.
    Select({1});
    RightClick(1, Report::kColAveragingMode);
    EXPECT_TRUE(ui.menus.empty());
    // Two: only the merge.
    Select({0, 1});
    ui.menuAnswers = {1};
    scope.prompt.answers = {Text::MsgResult::Yes};
    RightClick(0, Report::kColAveragingMode);
    ASSERT_EQ(1u, ui.menus.size());
    ASSERT_EQ(1u, ui.menus[0].items.size());
    EXPECT_EQ(u"Create one series from the selected single series", ui.menus[0].items[0].text);
    EXPECT_EQ((std::vector<unsigned>{59475}), scope.prompt.ShownIds());
    EXPECT_EQ(2, scope.Data().GetCount());
    EXPECT_EQ(2, scope.Data().GetReadingCount(0));
    EXPECT_EQ(4, Grid().GridModel()->RowCount());  // rebuilt
}

TEST_F(SeriesTable, MergingAHundredIsRefusedNinetyNineAreMerged) {
    for (int i = 0; i < 100; ++i) scope.Add({.mode = kModeSingle, .q = {30.0 + i % 20}});
    Open();
    view->SelectAll();
    EXPECT_FALSE(view->CreateOneSeries());
    EXPECT_EQ((std::vector<unsigned>{59510}), scope.prompt.ShownIds());
    EXPECT_EQ(100, scope.Data().GetCount());

    std::vector<int> rows;
    for (int i = 0; i < 99; ++i) rows.push_back(CSeriesView::MainRow(i));
    Grid().SelectRows(rows, false);
    scope.prompt.answers = {Text::MsgResult::Yes};
    EXPECT_EQ(1, view->PageRequest(CSeriesView::kCreateOneSeries));
    EXPECT_EQ(2, scope.Data().GetCount());
    EXPECT_EQ(99, scope.Data().GetReadingCount(0));
    EXPECT_EQ(4, Grid().GridModel()->RowCount());
}

TEST_F(SeriesTable, OutlierSlidersAndTheOtherChoosers) {
    scope.Add({.q = Readings(5)});
    scope.Add({.q = Readings(9)});
    Open();
    Select({0, 1});
    // The largest allowed count comes from the series with the most readings.
    ui.sliderAnswers = {6};
    RightClick(0, Report::kColUpperOutliers);
    ASSERT_EQ(1u, ui.sliders.size());
    EXPECT_EQ(8, ui.sliders[0].maximum);
    EXPECT_EQ(0, ui.sliders[0].value);
    EXPECT_EQ(0, scope.Data().GetUpperOutliers(0));  // would leave no reading: kept
    EXPECT_EQ(6, scope.Data().GetUpperOutliers(1));

    ui.menuAnswers = {3};  // cube 100 mm
    RightClick(1, Report::kColForm);
    EXPECT_EQ(2, scope.Data().GetFormCode(0));
    EXPECT_EQ(2, scope.Data().GetFormCode(1));
    ui.menuAnswers = {5};  // 2.0 mm
    RightClick(1, Report::kColCarbonation);
    EXPECT_EQ(4, scope.Data().GetCarbonationCode(0));
    EXPECT_EQ(QStringLiteral("2.0 mm"), Text(0, 11));
    ui.menuAnswers = {3};  // C-TOLVEX
    RightClick(0, Report::kColCurve);
    EXPECT_EQ(2, scope.Data().GetCurveId(0));
    EXPECT_EQ(2, scope.Data().GetCurveId(1));
    EXPECT_EQ(QStringLiteral("C-TOLVEX"), Text(1, 9));
    // Columns without a chooser open nothing.
    const std::size_t menus = ui.menus.size();
    for (int column : {1, 7, 8}) RightClick(0, column);
    EXPECT_EQ(menus, ui.menus.size());
    EXPECT_TRUE(ui.contextMenus.empty());
}

TEST_F(SeriesTable, TheOutlierSliderOfAModeWithItsOwnCountsOpensAtTheCountTheCellShows) {
    scope.Add({.mode = kModeMeanOutlier, .q = Readings(13)});  // the mode's table: 2 at each end
    scope.Add({.mode = kModeMean, .q = Readings(9)});
    scope.Add({.mode = kModeMeanJGJ, .q = Readings(16), .upper = 1, .lower = 1});
    Open();
    ASSERT_EQ(QStringLiteral("2"), Text(0, Report::kColUpperOutliers));
    // Alone: the mode fixes the count, the slider only shows it and says why.
    Select({0});
    ui.sliderAnswers = {5};
    RightClick(0, Report::kColUpperOutliers);
    ASSERT_EQ(1u, ui.sliders.size());
    EXPECT_EQ(2, ui.sliders[0].value);
    EXPECT_FALSE(ui.sliders[0].enabled);
    EXPECT_NE(std::u16string::npos, ui.sliders[0].hint.find(scope.Data().GetModeName(0)));
    EXPECT_EQ(0, scope.Data().GetUpperOutliers(0));
    EXPECT_EQ(QStringLiteral("2"), Text(0, Report::kColUpperOutliers));

    Select({2});
    ui.sliderAnswers = {0};
    RightClick(2, Report::kColLowerOutliers);
    ASSERT_EQ(2u, ui.sliders.size());
    EXPECT_EQ(3, ui.sliders[1].value);
    EXPECT_FALSE(ui.sliders[1].enabled);
    EXPECT_EQ(1, scope.Data().GetLowerOutliers(2));

    // With a series that takes the user's count selected too, the count goes there only.
    Select({0, 1});
    ui.sliderAnswers = {1};
    RightClick(0, Report::kColUpperOutliers);
    ASSERT_EQ(3u, ui.sliders.size());
    EXPECT_TRUE(ui.sliders[2].enabled);
    EXPECT_EQ(2, ui.sliders[2].value);
    EXPECT_FALSE(ui.sliders[2].hint.empty());
    EXPECT_EQ(0, scope.Data().GetUpperOutliers(0));
    EXPECT_EQ(1, scope.Data().GetUpperOutliers(1));
    // Clicked on the series that uses its own count: no hint, as before.
    ui.sliderAnswers = {2};
    RightClick(1, Report::kColUpperOutliers);
    ASSERT_EQ(4u, ui.sliders.size());
    EXPECT_EQ(1, ui.sliders[3].value);
    EXPECT_TRUE(ui.sliders[3].hint.empty());
    EXPECT_TRUE(ui.sliders[3].enabled);
    EXPECT_EQ(2, scope.Data().GetUpperOutliers(1));
}

TEST_F(SeriesTable, AdjustingTheTimeOfTheSelectedSeries) {
    scope.Add({.dateTime = 1000, .q = {40}});
    scope.Add({.dateTime = 5000, .q = {40}});
    scope.Add({.dateTime = 9000, .q = {40}});
    Open();
    Select({1, 2});
    ui.timeAnswers = {3600};
    RightClick(2, Report::kColDateTime);
    ASSERT_EQ(1u, ui.adjustTimes.size());
    EXPECT_EQ(9000u, ui.adjustTimes[0]);  // the clicked series' stamp
    EXPECT_EQ(1000u, scope.Data().GetDateTime(0));
    EXPECT_EQ(8600u, scope.Data().GetDateTime(1));
    EXPECT_EQ(12600u, scope.Data().GetDateTime(2));
    // Cancelled: nothing.
    RightClick(2, Report::kColDateTime);
    EXPECT_EQ(12600u, scope.Data().GetDateTime(2));
}

}  // namespace
