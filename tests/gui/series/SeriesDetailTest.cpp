// The detail cell of an expanded series: its three layouts, the diagram's
// order and colours, the statistics texts, the comment, the clickable values
// and the height animation.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>

#include "SeriesTestSupport.h"
#include "text/LanguageModule.h"
#include "text/StringTable.h"
#include "ui/grid/GridView.h"
#include "views/series/ColorScheme.h"
#include "views/series/GridCellSeries.h"
#include "views/series/SeriesDetailPainter.h"
#include "views/series/SeriesView.h"

namespace {

using namespace SeriesTest;
using Painter = CSeriesDetailPainter;

class SeriesDetail : public ::testing::Test {
  protected:
    CDocScope scope;
    CScriptedUi ui;
    std::unique_ptr<CSeriesView> view;
    QImage image;

    CSeriesView& Open() {
        view = std::make_unique<CSeriesView>(*scope.doc, false, 0, &scope.clipboard);
        view->SetUserInterface(&ui);
        view->resize(1500, 900);
        view->show();
        scope.Loaded();
        QApplication::processEvents();
        return *view;
    }
    CGridView& Grid() { return *view->Grid(); }
    // The detail cell of an expanded series, drawn `width` wide.
    CGridCellSeries& Drawn(int series, int width = 1200) {
        CGridCellSeries* cell = view->DetailCell(series);
        EXPECT_NE(nullptr, cell);
        image = QImage(width, std::max(1, cell->Height()), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        TCellDrawState state;
        state.offscreen = true;
        state.font = Grid().font();
        state.defaultText = CColorScheme::TableText();
        cell->Draw(painter, QRect(0, 0, width, image.height()), state);
        return *cell;
    }
    int LineHeight() {
        scope.Data().CalcStatistics(0);
        return Painter(nullptr, Grid().font(), scope.Data(), 0, TStatistics{}, 1, 0, nullptr, nullptr)
            .LineHeight();
    }
    static std::optional<QRect> Area(const CGridCellSeries& cell, int id) {
        for (const auto& e : cell.Areas().Entries())
            if (e.inUse && e.id == id) return e.rect;
        return std::nullopt;
    }
    static int AreaCount(const CGridCellSeries& cell, int id) {
        int n = 0;
        for (const auto& e : cell.Areas().Entries()) n += e.inUse && e.id == id ? 1 : 0;
        return n;
    }
    // Clicks the middle of a clickable part of the detail cell in the grid.
    void ClickArea(int series, int id) {
        CGridCellSeries* cell = view->DetailCell(series);
        ASSERT_NE(nullptr, cell);
        // The areas of the cell as the grid draws it.
        Grid().viewport()->repaint();
        const auto rect = Area(*cell, id);
        ASSERT_TRUE(rect) << "area " << id;
        const QRect cellRect = Grid().CellRect(CSeriesView::DetailRow(series), 1);
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cellRect.topLeft() + rect->center());
    }
};

TEST_F(SeriesDetail, TheLayoutFollowsTheReadingCount) {
    struct SCase {
        int readings;
        int width;
        const char* layout;
    };
    const SCase cases[] = {
        {1, 1200, "beside"},
        {25, 1200, "beside"},
        {26, 1200, "below"},
        {50, 1200, "below"},
        {51, 1600, "third, side by side"},
        {99, 1600, "third, side by side"},
        {80, 800, "third, stacked"},
    };
    for (const SCase& c : cases) {
        scope.Data().Clear();
        scope.Add({.q = Readings(c.readings), .comment = u"Wall", .expanded = 1});
        Open();
        const CGridCellSeries& cell = Drawn(0, c.width);
        const auto unit = Area(cell, Painter::kAreaUnit);
        const auto comment = Area(cell, Painter::kAreaComment);
        ASSERT_TRUE(unit && comment) << c.readings;
        const std::string layout = c.layout;
        if (layout == "beside") {
            // Statistics, settings and comment in one column right of the diagram and the list.
            EXPECT_LT(unit->top(), 300) << c.readings;
            EXPECT_GT(unit->left(), c.width / 2) << c.readings;
            EXPECT_GT(comment->top(), unit->top()) << c.readings;
            EXPECT_GT(comment->left(), c.width / 2) << c.readings;
        } else if (layout == "below") {
            // The list beside the diagram; statistics, settings and comment in a row below.
            EXPECT_GE(unit->top(), 300) << c.readings;
            EXPECT_GE(comment->top(), 300) << c.readings;
            EXPECT_GT(comment->left(), unit->right()) << c.readings;
            EXPECT_LT(comment->top(), unit->top()) << c.readings;
        } else if (layout == "third, side by side") {
            // The diagram over the whole width; below it the list, then statistics and settings side by side.
            EXPECT_GE(unit->top(), 300) << c.readings;
            EXPECT_LT(unit->top(), 300 + 9 * LineHeight()) << c.readings;
            EXPECT_LT(comment->left(), unit->left()) << c.readings;
            EXPECT_GT(comment->top(), unit->top()) << c.readings;
        } else {
            // Too narrow: the settings go below the statistics, the comment below them.
            EXPECT_GT(unit->top(), 300 + 9 * LineHeight()) << c.readings;
            EXPECT_GT(comment->top(), unit->top()) << c.readings;
        }
        EXPECT_EQ(c.readings > 1, Area(cell, Painter::kAreaOrder).has_value()) << c.readings;
        // The row is as high as the content says.
        EXPECT_EQ(cell.RequiredHeight(), Grid().RowHeight(1)) << c.readings;
        EXPECT_GE(cell.RequiredHeight(), 321) << c.readings;
    }
}

// Every block stays inside the cell, whatever the texts: nothing is drawn
// past its right edge, in English or in the longer German texts, for each of
// the three layouts.
TEST_F(SeriesDetail, EveryValueStaysInsideTheCell) {
    const auto german =
        Text::CLanguageModule::Load(fs::path(BRELVANTOR_SOURCE_DIR) / "lang" / "Brelvantor_DEU.lng");
    ASSERT_TRUE(german.module);
    struct SCase {
        int readings;
        int width;
        bool inGerman;
    };
    std::vector<SCase> cases;
    for (int readings : {12, 40, 80})
        for (int width : {800, 1000})
            for (bool inGerman : {false, true}) cases.push_back({readings, width, inGerman});
    for (const SCase& c : cases) {
        Text::SetLanguageOverrides(c.inGerman ? german.module->Texts() : nullptr);
        scope.Data().Clear();
        // An invalid series (long statistics values) with long settings values.
        scope.Add({.mode = kModeMeanASTM,
                   .q = Readings(c.readings, 20, 3.5),
                   .serial = u"TB-N-20431-WEST-PILLAR-0042",
                   .comment = u"North face",
                   .expanded = 1});
        Open();
        CGridCellSeries* cell = view->DetailCell(0);
        ASSERT_NE(nullptr, cell);
        // Drawn into a picture wider than the cell: whatever lies right of it was cut.
        const int spare = 500;
        QImage picture(c.width + spare, 1000, QImage::Format_RGB32);
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            TCellDrawState state;
            state.offscreen = true;
            state.font = Grid().font();
            state.defaultText = CColorScheme::TableText();
            cell->Draw(painter, QRect(0, 0, c.width, 1000), state);
        }
        int rightmost = -1;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = c.width; x < picture.width(); ++x)
                if (picture.pixel(x, y) != qRgb(255, 255, 255)) rightmost = std::max(rightmost, x);
        EXPECT_EQ(-1, rightmost) << c.readings << " readings, " << c.width << " wide, "
                                 << (c.inGerman ? "German" : "English");
        for (const auto& e : cell->Areas().Entries()) {
            if (!e.inUse) continue;
            EXPECT_LE(e.rect.right(), c.width) << c.readings << " area " << e.id;
        }
    }
    Text::SetLanguageOverrides(nullptr);
}

TEST_F(SeriesDetail, StatisticsTexts) {
    struct SCase {
        const char* what;
        TSeriesSetup setup;
        std::vector<std::string> labels;
        std::vector<std::string> symbols;
        std::vector<std::string> values;
    };
    const SCase cases[] = {
        {"one reading",
         {.q = {40}},
         {"Measurements", "Invalid measurements", "Mean value", "Standard deviation"},
         {"N", "Ni", "f", "s"},
         {"= 1", "= 0 (0%)", "= 33.5 N/mm\u00B2 (40.0 Q)", "= -- N/mm\u00B2"}},
        {"in Q",
         {.unit = kUnitQ, .q = {40, 41}},
         {"Measurements", "Invalid measurements", "Mean value", "Standard deviation"},
         {"N", "Ni", "f", "s"},
         {"= 2", "= 0 (0%)", "= 40.5 Q", "= 0.7 Q"}},
        {"not convertible",
         {.unit = kUnitMPa, .q = {12, 13}},
         {"Measurements", "Invalid measurements", "Mean value", "Standard deviation"},
         {"N", "Ni", "f", "s"},
         {"= 2", "= 0 (0%)", "= -- MPa (12.5 Q)", "= -- MPa (0.7 Q)"}},
        {"mean with outlier cancellation",
         {.mode = kModeMeanOutlier, .q = {40, 41, 42, 43, 44, 45, 46, 47, 48, 49}},
         {"Measurements", "Outliers", "Mean value", "Standard deviation"},
         {"N", "No", "f", "s"},
         {"= 10", "= 2", "", ""}},
        {"invalid median EN",
         {.mode = kModeMedianEN, .q = {40, 40, 40, 40, 40, 40, 40, 20, 20, 60}},
         {"Measurements", "Invalid measurements", "Median EN", "Standard deviation"},
         {"N", "Ni", "f", "s"},
         {"= 10", "= 3 (30%)", "= Invalid series (", ""}},
    };
    for (const SCase& c : cases) {
        scope.Data().Clear();
        scope.Add(c.setup);
        const auto t = Painter::StatisticsTexts(scope.Data(), 0, scope.Data().CalcStatistics(0));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(c.labels[static_cast<std::size_t>(i)], Utf8(t.labels[i])) << c.what;
            EXPECT_EQ(c.symbols[static_cast<std::size_t>(i)], Utf8(t.symbols[i])) << c.what;
            const std::string& value = c.values[static_cast<std::size_t>(i)];
            if (!value.empty()) {
                EXPECT_TRUE(Utf8(t.values[i]).rfind(value, 0) == 0) << c.what << ": " << Utf8(t.values[i]);
            }
        }
    }
}

TEST_F(SeriesDetail, DiagramOrderAndMedianBars) {
    struct SCase {
        const char* what;
        TSeriesSetup setup;
        int order;
        std::vector<int> medians;
    };
    const SCase cases[] = {
        {"mean: measurement order, no median", {.q = {40, 30, 50}}, 0, {}},
        {"median EN, odd", {.mode = kModeMedianEN, .q = {40, 30, 50, 20, 45}}, 1, {1}},
        {"median EN, even: both middle bars", {.mode = kModeMedianEN, .q = {40, 30, 50, 20}}, 1, {2, 1}},
        {"median only without its cut readings",
         {.mode = kModeMedianOnly, .q = {10, 20, 30, 40, 50, 60}, .upper = 1, .lower = 1},
         1,
         {3, 4}},
        {"median only, cut down to one",
         {.mode = kModeMedianOnly, .q = {10, 20, 30}, .upper = 1, .lower = 1},
         1,
         {2}},
    };
    for (const SCase& c : cases) {
        scope.Data().Clear();
        const int i = scope.Add(c.setup);
        EXPECT_EQ(c.order, Painter::EffectiveOrder(scope.Data(), i)) << c.what;
        EXPECT_EQ(c.medians, Painter::MedianNumbers(scope.Data(), i)) << c.what;
        EXPECT_EQ(-1, scope.Data().GetDiagramOrder(i)) << c.what;  // looking does not choose
    }
}

TEST_F(SeriesDetail, BarsInTheirColoursWithATooltipEach) {
    scope.Add({.mode = kModeMedianEN, .q = {40, 41, 39, 40.5, 40, 39.5, 40, 20, 21, 60}, .expanded = 1});
    Open();
    const CGridCellSeries& cell = Drawn(0);
    const std::vector<int> medians = Painter::MedianNumbers(scope.Data(), 0);
    ASSERT_EQ(10u, cell.Tips().size());
    int outliers = 0;
    for (const TDetailTip& tip : cell.Tips()) {
        const int number = tip.title.mid(tip.title.lastIndexOf(QLatin1Char(' ')) + 1).toInt();
        ASSERT_GE(number, 1);
        const bool flagged = scope.Data().GetReadingFlag(0, number - 1) != 0;
        outliers += flagged ? 1 : 0;
        QColor expected = CColorScheme::NormalBar();
        if (std::find(medians.begin(), medians.end(), number) != medians.end())
            expected = CColorScheme::MedianBar();
        else if (flagged)
            expected = CColorScheme::OutlierBar();
        const QPoint inside(tip.rect.center().x(), tip.rect.bottom() - 2);
        EXPECT_EQ(expected.rgb(), QColor(image.pixel(inside)).rgb()) << "bar " << number;
        EXPECT_EQ(QStringLiteral("Measurement number %1").arg(number), tip.title);
        EXPECT_EQ(
            QString::number(scope.Data().GetReadingQHalf(0, number - 1) * 0.5, 'f', 1) + QStringLiteral(" Q"),
            tip.body);
        // Over the bar the grid shows that tooltip.
        EXPECT_EQ(tip.title, cell.TooltipAt(inside).title);
    }
    EXPECT_EQ(3, outliers);
    // In value order the bars rise from left to right.
    for (std::size_t k = 1; k < cell.Tips().size(); ++k)
        EXPECT_LE(cell.Tips()[k].rect.top(), cell.Tips()[k - 1].rect.top());
}

TEST_F(SeriesDetail, NinetyNineReadingsInANarrowCellKeepTheirValuesAndTooltips) {
    int bar = -1;
    int gap = -1;
    Painter::BarGeometry(99, 200, &bar, &gap);
    EXPECT_EQ(0, bar);
    Painter::BarGeometry(99, 300, &bar, &gap);
    EXPECT_EQ(1, bar);  // 99 + 101 = 200 <= 300 - 50
    Painter::BarGeometry(10, 800, &bar, &gap);
    EXPECT_EQ(24, bar);
    EXPECT_EQ(2, gap);
    Painter::BarGeometry(30, 800, &bar, &gap);
    EXPECT_EQ(23, bar);  // 30 * 23 + 32 = 722 <= 800 - 50
    EXPECT_EQ(1, gap);
    scope.Add({.q = Readings(99), .expanded = 1});
    Open();
    const CGridCellSeries& cell = Drawn(0, 800);
    EXPECT_EQ(99u, cell.Tips().size());
}

TEST_F(SeriesDetail, TheCommentWrapsAndEveryPieceIsClickable) {
    scope.Add({.q = {40, 41}, .expanded = 1});
    scope.Add({.q = {40, 41}, .comment = u"Short.", .expanded = 1});
    scope.Add({.q = {40, 41}, .comment = std::u16string(300, u'W') + u" end\r\nnext line", .expanded = 1});
    Open();
    // Empty: "[Add]".
    EXPECT_EQ(1, AreaCount(Drawn(0), Painter::kAreaComment));
    EXPECT_EQ(1, AreaCount(Drawn(1), Painter::kAreaComment));
    // A word wider than the line is broken; the line feed starts a line of its own.
    const CGridCellSeries& long_ = Drawn(2);
    EXPECT_GE(AreaCount(long_, Painter::kAreaComment), 4);
    int lines = 0;
    int lastTop = -1;
    for (const auto& e : long_.Areas().Entries())
        if (e.id == Painter::kAreaComment && e.rect.top() != lastTop) {
            ++lines;
            lastTop = e.rect.top();
        }
    EXPECT_GE(lines, 3);
}

TEST_F(SeriesDetail, TheDetailRowsExportText) {
    scope.Add({.q = {40, 41.5}, .serial = u"S-9", .comment = u"", .expanded = 1});
    scope.Add({.q = {30}, .serial = u"S-8", .comment = u"line\r\n\"quoted\"", .expanded = 1});
    Open();
    EXPECT_EQ(QStringLiteral("S-9\t\"\"\t40.0\t41.5\t"),
              Grid().Cell(CSeriesView::DetailRow(0), 1)->ExportText());
    EXPECT_EQ(QStringLiteral("S-8\t\"line<br>&quotquoted&quot\"\t30.0\t"),
              Grid().Cell(CSeriesView::DetailRow(1), 1)->ExportText());
    // The other cells of the row are not bound and export nothing.
    for (int c : {0, 2, 5, 11})
        EXPECT_TRUE(Grid().Cell(CSeriesView::DetailRow(0), c)->ExportText().isEmpty()) << c;
}

TEST_F(SeriesDetail, ClickableValuesOpenTheirChoosersForThisSeriesOnly) {
    scope.Add({.q = {40, 41}, .expanded = 1});
    scope.Add({.q = {40, 41}});
    Open();
    ui.menuAnswers = {6};
    ClickArea(0, Painter::kAreaUnit);
    ASSERT_EQ(1u, ui.menus.size());
    EXPECT_EQ(EChooserStrip::kUnit, ui.menus[0].strip);
    EXPECT_EQ(kUnitMPa, scope.Data().GetUnit(0));
    EXPECT_EQ(kUnitNmm2, scope.Data().GetUnit(1));
    // The menu is placed by the clicked text: a narrow one, so on its centre.
    EXPECT_GT(ui.menus[0].where.right, ui.menus[0].where.left);
    EXPECT_LT(ui.menus[0].where.right - ui.menus[0].where.left, 151);
    EXPECT_EQ(0, view->DetailCell(0)->HoveredArea());

    ui.menuAnswers = {kModeMeanASTM};
    ClickArea(0, Painter::kAreaMode);
    EXPECT_EQ(kModeMeanASTM, scope.Data().GetAveragingMode(0));
    ui.menuAnswers = {3};
    ClickArea(0, Painter::kAreaCurve);
    EXPECT_EQ(2, scope.Data().GetCurveId(0));
    EXPECT_EQ(u"L-TOLVEX", ui.menus.back().items[0].text);  // a type N series
    ui.menuAnswers = {8};
    ClickArea(0, Painter::kAreaForm);
    EXPECT_EQ(7, scope.Data().GetFormCode(0));
    ui.menuAnswers = {3};
    ClickArea(0, Painter::kAreaCarbonation);
    EXPECT_EQ(2, scope.Data().GetCarbonationCode(0));
    // A cancelled chooser changes nothing.
    ClickArea(0, Painter::kAreaUnit);
    EXPECT_EQ(kUnitMPa, scope.Data().GetUnit(0));
    EXPECT_FALSE(Grid().IsRowSelected(0));  // clicks on values leave the selection
}

TEST_F(SeriesDetail, SingleSeriesOfferOnlyRAndQAndNoModeLink) {
    scope.Add({.mode = kModeSingle, .unit = kUnitQ, .q = {40}, .expanded = 1});
    Open();
    EXPECT_FALSE(Area(Drawn(0), Painter::kAreaMode));
    ClickArea(0, Painter::kAreaUnit);
    ASSERT_EQ(1u, ui.menus.size());
    ASSERT_EQ(2u, ui.menus[0].items.size());
    EXPECT_EQ(u"R", ui.menus[0].items[0].text);
}

TEST_F(SeriesDetail, TheOrderSwitchAndTheComment) {
    scope.Add({.mode = kModeMedianEN, .q = {40, 41, 42}, .comment = u"old", .expanded = 1});
    Open();
    ClickArea(0, Painter::kAreaOrder);
    EXPECT_EQ(0, scope.Data().GetDiagramOrder(0));  // it opened by value
    ClickArea(0, Painter::kAreaOrder);
    EXPECT_EQ(1, scope.Data().GetDiagramOrder(0));
    ui.commentAnswers = {std::u16string(u"new\r\ncomment")};
    ClickArea(0, Painter::kAreaComment);
    ASSERT_EQ(1u, ui.comments.size());
    EXPECT_EQ(u"old", ui.comments[0]);
    EXPECT_EQ(u"new\r\ncomment", scope.Data().GetComment(0));
    // Cancelled: unchanged.
    ClickArea(0, Painter::kAreaComment);
    EXPECT_EQ(u"new\r\ncomment", scope.Data().GetComment(0));
}

TEST_F(SeriesDetail, HoveringAClickableValueShowsTheHand) {
    scope.Add({.q = {40, 41}, .expanded = 1});
    Open();
    CGridCellSeries& cell = Drawn(0);
    const QRect unit = *Area(cell, Painter::kAreaUnit);
    EXPECT_TRUE(cell.OnMouseMove(unit.center()));
    EXPECT_EQ(Painter::kAreaUnit, cell.HoveredArea());
    EXPECT_EQ(Qt::PointingHandCursor, cell.Cursor());
    EXPECT_FALSE(cell.OnMouseMove(unit.center() + QPoint(1, 0)));  // no change, no redraw
    EXPECT_TRUE(cell.OnMouseMove(QPoint(2, 2)));
    EXPECT_EQ(0, cell.HoveredArea());
    EXPECT_EQ(Qt::ArrowCursor, cell.Cursor());
}

TEST_F(SeriesDetail, HeightAnimationAndSettling) {
    std::u16string comment;
    for (int i = 0; i < 12; ++i) comment += std::u16string(20, static_cast<char16_t>(u'a' + i)) + u" ";
    scope.Add({.q = Readings(30), .comment = comment});
    Open();
    CGridCellSeries* cell = view->DetailCell(0);
    cell->Expand(false, 1600);
    const int required = cell->RequiredHeight();
    ASSERT_GT(required, 300);
    EXPECT_EQ(2, cell->Height());
    cell->Step();
    EXPECT_EQ(17, cell->Height());
    EXPECT_EQ(17, Grid().RowHeight(1));
    while (cell->Step()) {
    }
    EXPECT_EQ(required, cell->Height());
    EXPECT_TRUE(cell->IsExpanded());

    // Narrower columns wrap the comment onto more lines: the row follows,
    // three pixels a step.
    QImage narrow(800, 800, QImage::Format_RGB32);
    QPainter painter(&narrow);
    TCellDrawState state;
    state.font = Grid().font();
    cell->Draw(painter, QRect(0, 0, 800, cell->Height()), state);
    const int wanted = cell->RequiredHeight();
    ASSERT_GT(wanted, required + 3);
    EXPECT_TRUE(cell->WantsStep());
    cell->Step();
    EXPECT_EQ(required + 3, cell->Height());
    while (cell->Step()) {
    }
    EXPECT_EQ(wanted, cell->Height());

    cell->Collapse(false);
    cell->Step();
    EXPECT_EQ(wanted - 15, cell->Height());
    while (cell->Step()) {
    }
    EXPECT_EQ(0, cell->Height());
    EXPECT_FALSE(cell->IsExpanded());
}

}  // namespace
