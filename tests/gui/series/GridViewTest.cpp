// The general cell grid: rows made on demand, hidden rows, spans, text
// building, selection, pictures and the notices it sends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "ui/grid/GridCellBar.h"
#include "ui/grid/GridCellGradient.h"
#include "ui/grid/GridCellMultiBmp.h"
#include "ui/grid/GridView.h"

namespace {

// Cells "r<row>c<column>" exporting "<row>.<column>;".
class CSource : public IGridRowSource {
  public:
    int filled = 0;
    void FillRow(int row, CGridRow& cells) override {
        ++filled;
        for (int c = 0; c < 3; ++c) {
            auto cell = std::make_unique<CGridCell>();
            cell->SetText(QStringLiteral("r%1c%2").arg(row).arg(c));
            cell->SetExportText(QStringLiteral("%1.%2;").arg(row).arg(c));
            cell->SetReadOnly(c != 1);
            cells.push_back(std::move(cell));
        }
    }
};

class GridView : public ::testing::Test {
  protected:
    CSource source;
    CGridView grid;
    void SetUp() override {
        grid.GridModel()->SetSource(&source);
        grid.GridModel()->Reset(6, 3);
        for (int c = 0; c < 3; ++c)
            grid.GridModel()->SetCaption(c, QStringLiteral("C%1").arg(c), QStringLiteral("H%1|").arg(c));
        grid.resize(600, 400);
        grid.show();
        QApplication::processEvents();
    }
};

TEST_F(GridView, RowsAreMadeWhenFirstNeeded) {
    CSource lazy;
    CGridView hidden;
    hidden.GridModel()->SetSource(&lazy);
    hidden.GridModel()->Reset(10000, 3);
    EXPECT_EQ(0, lazy.filled);
    EXPECT_EQ(QStringLiteral("r9999c2"), hidden.Cell(9999, 2)->Text());
    EXPECT_EQ(1, lazy.filled);
    EXPECT_EQ(nullptr, hidden.Cell(10000, 0));
    EXPECT_EQ(nullptr, hidden.Cell(0, 3));
    EXPECT_TRUE(hidden.GridModel()->IsRowFilled(9999));
    hidden.GridModel()->RefillRow(9999);
    EXPECT_FALSE(hidden.GridModel()->IsRowFilled(9999));
}

TEST_F(GridView, TextIsBuiltFromTheExportTexts) {
    grid.SetRowHeight(3, 0);
    struct SCase {
        bool selectedOnly;
        bool header;
        bool hidden;
        const char* text;
    };
    grid.SelectRows({1, 3}, false);
    const SCase cases[] = {
        {false, true, true,
         "H0|H1|H2|0.0;0.1;0.2;1.0;1.1;1.2;2.0;2.1;2.2;3.0;3.1;3.2;4.0;4.1;4.2;5.0;5.1;5.2;"},
        {false, false, false, "0.0;0.1;0.2;1.0;1.1;1.2;2.0;2.1;2.2;4.0;4.1;4.2;5.0;5.1;5.2;"},
        {true, true, false, "H0|H1|H2|1.0;1.1;1.2;"},
        {true, false, true, "1.0;1.1;1.2;3.0;3.1;3.2;"},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(QString::fromUtf8(c.text), grid.BuildText(c.selectedOnly, c.header, c.hidden)) << c.text;
    // An empty export text stands for the cell text.
    grid.Cell(1, 1)->SetExportText(QString());
    EXPECT_EQ(QStringLiteral("1.0;r1c11.2;"), grid.BuildText(true, false, false));
    grid.CopySelectionToClipboard();
    EXPECT_EQ(QStringLiteral("H0|H1|H2|1.0;r1c11.2;"), QApplication::clipboard()->text());
}

TEST_F(GridView, WholeRowsAreSelected) {
    QSignalSpy changed(&grid, &CGridView::gridSelectionChanged);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(2, 1).center());
    EXPECT_TRUE(grid.IsRowSelected(2));
    EXPECT_EQ(3, grid.SelectedCellCount());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, grid.CellRect(4, 0).center());
    EXPECT_EQ(3, grid.SelectedRowCount());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, grid.CellRect(3, 2).center());
    EXPECT_EQ(2, grid.SelectedRowCount());
    EXPECT_FALSE(grid.IsRowSelected(3));
    EXPECT_GE(changed.count(), 3);
    grid.SelectAllCells();
    EXPECT_EQ(18, grid.SelectedCellCount());
    EXPECT_EQ((std::vector<char>{1, 1, 1, 1, 1, 1}), grid.SelectedRowMask());
}

TEST_F(GridView, NoticesOfClicksKeysAndEdits) {
    QSignalSpy clicked(&grid, &CGridView::cellClicked);
    QSignalSpy right(&grid, &CGridView::cellRightClicked);
    QSignalSpy copy(&grid, &CGridView::copyRequested);
    QSignalSpy remove(&grid, &CGridView::deleteRequested);
    QSignalSpy edited(&grid, &CGridView::cellEdited);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 2).center());
    ASSERT_EQ(1, clicked.count());
    EXPECT_EQ(1, clicked[0][0].toInt());
    EXPECT_EQ(2, clicked[0][1].toInt());
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, grid.CellRect(4, 0).center());
    ASSERT_EQ(1, right.count());
    EXPECT_EQ(4, right[0][0].toInt());
    // Below the last row: outside the cells.
    grid.resize(600, 400);
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, QPoint(10, grid.viewport()->height() - 5));
    ASSERT_EQ(2, right.count());
    EXPECT_EQ(-2, right[1][0].toInt());
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_EQ(1, copy.count());
    EXPECT_EQ(1, remove.count());
    // Editing: only cells that are not read-only.
    CGridModel* model = grid.GridModel();
    EXPECT_FALSE(model->setData(model->index(2, 0), QStringLiteral("x")));
    EXPECT_TRUE(model->setData(model->index(2, 1), QStringLiteral("typed")));
    ASSERT_EQ(1, edited.count());
    EXPECT_EQ(2, edited[0][0].toInt());
    EXPECT_EQ(1, edited[0][1].toInt());
    EXPECT_EQ(QStringLiteral("typed"), edited[0][2].toString());
    EXPECT_EQ(QStringLiteral("typed"), grid.Cell(2, 1)->Text());
}

TEST_F(GridView, TheCursorStepsOverHiddenRows) {
    grid.SetRowHeight(2, 0);
    grid.SetRowHeight(3, 0);
    grid.setCurrentIndex(grid.GridModel()->index(1, 0));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(4, grid.currentIndex().row());
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(1, grid.currentIndex().row());
}

TEST_F(GridView, SpansPicturesAndScrolling) {
    grid.setSpan(2, 1, 1, 2);
    EXPECT_EQ(grid.CellRect(2, 1), grid.CellRect(2, 2));  // one cell over both columns
    EXPECT_NEAR(grid.ColumnWidth(1) + grid.ColumnWidth(2), grid.CellRect(2, 1).width(),
                1);  // less the grid line
    grid.SetColumnWidths({50, 60, 70});
    EXPECT_EQ((std::vector<int>{50, 60, 70}), grid.ColumnWidths());
    grid.SetRowHeight(1, 40);
    grid.SelectRows({1, 2}, false);
    EXPECT_EQ(QSize(180, 26 + 40 + 22), grid.SelectedRowsPictureSize());
    QImage image(grid.SelectedRowsPictureSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    grid.RenderSelectedRows(painter);
    painter.end();
    // The header's grey, then the cells' white.
    EXPECT_EQ(QColor(240, 240, 240).rgb(), image.pixel(25, 5));
    EXPECT_EQ(QColor(Qt::white).rgb(), image.pixel(25, 40));

    grid.GridModel()->Reset(400, 3);
    grid.SetVerticalScrollPosition(1000);
    EXPECT_EQ(1000, grid.VerticalScrollPosition());
}

TEST_F(GridView, AutoSizeTakesTheWidestOfCaptionAndCells) {
    grid.Cell(0, 1)->SetText(QStringLiteral("a much longer text than the others"));
    grid.SetRowHeight(3, 0);
    grid.Cell(3, 2)->SetText(QStringLiteral("hidden rows do not count, however long they are"));
    grid.AutoSizeColumns({0, 1, 2, 3});
    const QFontMetrics fm(grid.font());
    EXPECT_GE(grid.ColumnWidth(1),
              fm.horizontalAdvance(QStringLiteral("a much longer text than the others")));
    EXPECT_LT(grid.ColumnWidth(2),
              fm.horizontalAdvance(QStringLiteral("hidden rows do not count, however long")));
}

TEST_F(GridView, SortIndicatorIsTheGridsToSet) {
    QSignalSpy header(&grid, &CGridView::headerClicked);
    grid.SetSortIndicator(1, false);
    EXPECT_TRUE(grid.horizontalHeader()->isSortIndicatorShown());
    EXPECT_EQ(1, grid.horizontalHeader()->sortIndicatorSection());
    EXPECT_EQ(Qt::DescendingOrder, grid.horizontalHeader()->sortIndicatorOrder());
    // A click tells the page; the header does not flip the indicator on its own.
    QHeaderView* h = grid.horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(1) + 10, 10));
    EXPECT_EQ(1, header.count());
    EXPECT_EQ(Qt::DescendingOrder, h->sortIndicatorOrder());
    grid.SetSortIndicator(-1, true);
    EXPECT_FALSE(h->isSortIndicatorShown());
}

TEST(GridCells, BarGradientAndPictures) {
    CGridCellBar bar;
    bar.SetRange(0, 100);
    for (const auto& [value, width] :
         std::vector<std::pair<double, int>>{{50, 100}, {0, 0}, {-5, 0}, {150, 200}}) {
        bar.SetValue(value);
        EXPECT_EQ(width, bar.BarWidth(200)) << value;
    }
    CGridCellGradient gradient;
    const QColor a(10, 20, 30), b(200, 210, 220);
    gradient.SetCorners(a, a, a, a);
    EXPECT_EQ(CGridCellGradient::kPlain, gradient.FillKind());
    gradient.SetCorners(a, b, a, b);
    EXPECT_EQ(CGridCellGradient::kLeftToRight, gradient.FillKind());
    gradient.SetCorners(a, a, b, b);
    EXPECT_EQ(CGridCellGradient::kTopToBottom, gradient.FillKind());
    gradient.SetCorners(a, b, b, a);
    EXPECT_EQ(CGridCellGradient::kFourCorners, gradient.FillKind());
    // Selected, every colour at half strength.
    gradient.SetCorners(QColor(200, 100, 50), QColor(200, 100, 50), QColor(200, 100, 50),
                        QColor(200, 100, 50));
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    TCellDrawState state;
    state.selected = true;
    gradient.Draw(painter, QRect(0, 0, 10, 10), state);
    painter.end();
    EXPECT_EQ(QColor(100, 50, 25).rgb(), image.pixel(5, 5));

    CGridCellMultiBmp pictures;
    QPixmap p(22, 19);
    p.fill(Qt::red);
    pictures.AddPair(p, p, QPoint(5, 1));
    pictures.AddPair(p, p, QPoint(30, 1));
    EXPECT_FALSE(pictures.OnClick(QPoint(2, 2)));
    EXPECT_EQ(-1, pictures.LastClickedPair());
    EXPECT_TRUE(pictures.OnClick(QPoint(35, 10)));
    EXPECT_EQ(1, pictures.LastClickedPair());
    EXPECT_EQ(1, pictures.Shown(1));
    EXPECT_EQ(0, pictures.Shown(0));
    EXPECT_TRUE(pictures.OnClick(QPoint(35, 10)));
    EXPECT_EQ(0, pictures.Shown(1));
}

}  // namespace
