// The Series tab as part of the whole window: what the summary page, the
// commands and the keyboard do to the table.
#include <QApplication>
#include <QTest>

#include "GuiTestSupport.h"
#include "ProjectFixture.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "ui/grid/GridView.h"
#include "views/ChildView.h"
#include "views/TabGrid.h"
#include "views/TabSheet.h"
#include "views/series/GridCellDetailGripper.h"
#include "views/series/SeriesView.h"

namespace {

using namespace GuiTest;

CGridCellDetailGripper* GripperOf(CMainFrame& frame, int series) {
    CGridView* grid = frame.View()->SeriesPage()->Table();
    return dynamic_cast<CGridCellDetailGripper*>(grid->Cell(CSeriesView::MainRow(series), 0));
}

// The summary is built when its page is looked at; the series it takes out
// (a unit that does not fit the rest) show as out in the table at once.
TEST_F(CGuiTest, SeriesTheSummaryTakesOutShowAsOutInTheTable) {
    CMainFrame& frame = Start({}, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CHammerDoc& doc = frame.Doc();
    doc.TakeOverDownload(GuiFixture::MakeSeries(3));
    CGridView* grid = frame.View()->SeriesPage()->Table();
    // Another unit for one series, as its detail area's unit chooser sets it.
    doc.WorkingData().SetUnit(2, kUnitPSI);
    doc.NotifyViews(nullptr, 2);
    grid->viewport()->repaint();
    ASSERT_TRUE(GripperOf(frame, 2)->IsInSummary());

    frame.View()->Sheet()->setCurrentIndex(1);
    QApplication::processEvents();
    ASSERT_EQ(0, doc.WorkingData().GetUseInSummary(2));
    frame.View()->Sheet()->setCurrentIndex(0);
    grid->viewport()->repaint();
    EXPECT_FALSE(GripperOf(frame, 2)->IsInSummary());
    EXPECT_TRUE(GripperOf(frame, 0)->IsInSummary());
    EXPECT_TRUE(GripperOf(frame, 1)->IsInSummary());
}

}  // namespace
