// Diagram axes: the scaling rules, the mapping, the layout of the plot
// rectangle and what gets drawn.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <string>

#include "tools/graph/GraphGrid.h"

namespace {

std::string Utf8(const std::u16string& s) {
    return QString::fromStdU16String(s).toStdString();
}

// A white canvas with a painter whose font is fixed, so text extents are stable.
struct TCanvas {
    QImage image{400, 300, QImage::Format_RGB32};
    QPainter painter;
    TCanvas() {
        image.fill(Qt::white);
        painter.begin(&image);
        QFont f = painter.font();
        f.setPixelSize(12);
        painter.setFont(f);
        painter.setPen(QPen(Qt::black, 1));
    }
};

TGraphSettings Plain(int left, int top, int right, int bottom) {
    TGraphSettings s;
    s.left = left;
    s.top = top;
    s.right = right;
    s.bottom = bottom;
    return s;
}

TEST(GraphGrid, QuickStepPicksOneTwoOrFiveTimesAPowerOfTen) {
    struct SCase {
        double range;
        double step;
        const char* xFormat;
        const char* yFormat;
    };
    const SCase cases[] = {
        {100, 10, "%0.0lf", "%5.0lf"},   {200, 20, "%0.0lf", "%5.0lf"},  {250, 50, "%0.0lf", "%5.0lf"},
        {90, 10, "%0.0lf", "%5.0lf"},    {40, 5, "%0.0lf", "%5.0lf"},    {1000, 100, "%0.0lf", "%5.0lf"},
        {0.3, 0.05, "%0.2lf", "%5.2lf"}, {2.5, 0.5, "%0.1lf", "%5.1lf"}, {0.002, 0.0002, "%0.4lf", "%5.4lf"},
    };
    for (const SCase& c : cases) {
        TGraphSettings s;
        s.xMin = 0;
        s.xMax = c.range;
        s.yMin = 0;
        s.yMax = c.range;
        CGraphGrid::QuickScale(s);
        EXPECT_NEAR(c.step, s.xStep, c.step * 1e-9) << c.range;
        EXPECT_NEAR(c.step / 2, s.xMinorStep, c.step * 1e-9) << c.range;
        EXPECT_NEAR(c.step, s.yStep, c.step * 1e-9) << c.range;
        EXPECT_EQ(c.xFormat, Utf8(s.xFormat)) << c.range;
        EXPECT_EQ(c.yFormat, Utf8(s.yFormat)) << c.range;
    }
}

TEST(GraphGrid, AnEmptyOrReversedRangeGetsNoStepAndNoTicks) {
    for (double max : {0.0, -5.0}) {
        TGraphSettings s;
        s.xMax = max;
        s.yMax = max;
        s.xFormat = u"%0.3lf";
        CGraphGrid::QuickScale(s);
        EXPECT_EQ(0, s.xStep);
        EXPECT_EQ(0, s.yMinorStep);
        EXPECT_EQ("%0.0lf", Utf8(s.xFormat));  // back at the rule's base
    }
    // Such an axis has no labels, so it takes no room for them.
    TCanvas canvas;
    TGraphSettings s = Plain(0, 0, 400, 300);
    s.xMin = s.xMax = 5;
    s.leftFlags = 0;
    CGraphGrid::QuickScale(s);
    CGraphGrid grid;
    grid.SetSettings(canvas.painter, s);
    EXPECT_EQ(0, grid.Margins(1).label);
}

TEST(GraphGrid, RoundingTheEndsOfAnAxis) {
    struct SCase {
        double value;
        double step;
        bool yAxis;
        double minimum;
    };
    const SCase minima[] = {
        {12, 5, true, 10},  {10, 5, true, 5},  {0, 5, true, 0},  {-3, 5, true, -5},     {-10, 5, true, -15},
        {12, 5, false, 10}, {10, 5, false, 5}, {0, 5, false, 0}, {0.3, 0.1, true, 0.2},
    };
    for (const SCase& c : minima)
        EXPECT_NEAR(c.minimum, CGraphGrid::RoundMinimum(c.value, c.step, c.yAxis), 1e-9)
            << c.value << " step " << c.step << (c.yAxis ? " y" : " x");

    struct SMax {
        double value;
        double step;
        bool yAxis;
        double maximum;
    };
    const SMax maxima[] = {
        {90, 10, true, 100},   {87, 10, true, 90},
        {87, 10, false, 90},   {90, 10, false, 100},  // 90 / 100 is 0.9: the next multiple
        {80, 10, false, 80},                          // 80 / 90 is below 0.9: stays
        {100, 20, false, 100},
    };
    for (const SMax& c : maxima)
        EXPECT_NEAR(c.maximum, CGraphGrid::RoundMaximum(c.value, c.step, c.yAxis), 1e-9)
            << c.value << " step " << c.step << (c.yAxis ? " y" : " x");
}

TEST(GraphGrid, NiceStepsAndTheirFormats) {
    struct SCase {
        double min, max;
        int points;
        bool yAxis;
        double step;
        const char* format;
    };
    const SCase cases[] = {
        {0, 90, 10, true, 10, "%0.0lf"},    {0, 90, 4, true, 50, "%0.0lf"},
        {0, 1, 100, false, 0.02, "%0.2lf"}, {0, 1, 100, true, 0.02, "%0.2lf"},
        {0, 100, 2, false, 100, "%0.0lf"},  {0, 0.9, 4, true, 0.5, "%0.1lf"},
    };
    for (const SCase& c : cases) {
        const CGraphGrid::TStep s = CGraphGrid::NiceStep(c.min, c.max, c.points, c.yAxis);
        EXPECT_NEAR(c.step, s.step, c.step * 1e-9) << c.max << " / " << c.points;
        EXPECT_EQ(c.format, Utf8(s.format)) << c.max << " / " << c.points;
    }
}

TEST(GraphGrid, FirstTickAndLabels) {
    EXPECT_DOUBLE_EQ(0, CGraphGrid::FirstTick(0, 10));
    EXPECT_DOUBLE_EQ(10, CGraphGrid::FirstTick(3, 10));
    EXPECT_DOUBLE_EQ(-10, CGraphGrid::FirstTick(-13, 5));  // the multiple nearer zero
    EXPECT_DOUBLE_EQ(-0.5, CGraphGrid::FirstTick(-0.5, 0.5));
    EXPECT_EQ("12.50 mm", Utf8(CGraphGrid::LabelText(12.5, u"%0.2lf", u" mm")));
    EXPECT_EQ("   40", Utf8(CGraphGrid::LabelText(40, u"%5.0lf", u"")));
}

TEST(GraphGrid, MappingFollowsThePlotRectangle) {
    TCanvas canvas;
    TGraphSettings s = Plain(100, 50, 300, 250);
    s.fixedRect = true;
    s.xMin = 0;
    s.xMax = 10;
    s.yMin = 0;
    s.yMax = 100;
    CGraphGrid grid;
    grid.SetSettings(canvas.painter, s);
    EXPECT_EQ(100, grid.PlotRect().left);
    EXPECT_EQ(300, grid.PlotRect().right);
    EXPECT_EQ(100, grid.MapX(0));
    EXPECT_EQ(300, grid.MapX(10));
    EXPECT_EQ(200, grid.MapX(5));  // int(200.1 / 10 * 5 + 100 + 0.5)
    EXPECT_EQ(250, grid.MapY(0));
    EXPECT_EQ(50, grid.MapY(100));
    EXPECT_EQ(150, grid.MapY(50));  // int(250 - 200.1 / 100 * 50 + 0.5)
    // A range of nothing maps onto the edge instead of dividing by zero.
    s.xMax = 0;
    grid.SetSettings(canvas.painter, s);
    EXPECT_EQ(100, grid.MapX(7));
}

TEST(GraphGrid, TheLabelsTakeRoomUnlessTheRectangleIsFixed) {
    TCanvas canvas;
    const QFontMetrics fm(canvas.painter.font());
    TGraphSettings s = Plain(0, 0, 400, 300);
    s.xMin = 0;
    s.xMax = 100;
    s.yMin = 0;
    s.yMax = 100;
    CGraphGrid::QuickScale(s);
    s.topFlags = s.rightFlags = 0;
    s.bottomFlags = TGraphSettings::kLine | TGraphSettings::kMajorOuter | TGraphSettings::kLabels;
    s.leftFlags = TGraphSettings::kLine | TGraphSettings::kMinorOuter | TGraphSettings::kLabels;
    CGraphGrid grid;
    grid.SetSettings(canvas.painter, s);
    // Bottom: tick 5, then the label height.
    EXPECT_EQ(5, grid.Margins(1).outerTick);
    EXPECT_EQ(fm.height(), grid.Margins(1).label);
    EXPECT_EQ(300 - 5 - fm.height(), grid.PlotRect().bottom);
    // Left: a minor tick of 3, then the widest label ("  100").
    EXPECT_EQ(3, grid.Margins(2).outerTick);
    EXPECT_EQ(fm.horizontalAdvance(QStringLiteral("  100")), grid.Margins(2).label);
    EXPECT_EQ(3 + fm.horizontalAdvance(QStringLiteral("  100")), grid.PlotRect().left);
    // The top takes the overhang of the topmost y label, the right that of the last x label.
    EXPECT_EQ(fm.height() / 2, grid.PlotRect().top);
    EXPECT_EQ(400 - fm.horizontalAdvance(QStringLiteral("100")) / 2, grid.PlotRect().right);

    s.fixedRect = true;
    grid.SetSettings(canvas.painter, s);
    EXPECT_EQ(0, grid.PlotRect().left);
    EXPECT_EQ(300, grid.PlotRect().bottom);
}

TEST(GraphGrid, ACutFlagKeepsNoRoomForTheLabelAtThatEnd) {
    TCanvas canvas;
    TGraphSettings s = Plain(0, 0, 400, 300);
    s.xMin = 0;
    s.xMax = 1000;
    s.yMin = 0;
    s.yMax = 10;
    CGraphGrid::QuickScale(s);
    s.leftFlags = s.topFlags = s.rightFlags = 0;
    s.bottomFlags = TGraphSettings::kLine | TGraphSettings::kLabels;
    CGraphGrid grid;
    grid.SetSettings(canvas.painter, s);
    EXPECT_LT(grid.PlotRect().right, 400);
    EXPECT_GT(grid.PlotRect().left, 0);
    s.cutXLabelsAtMax = true;
    grid.SetSettings(canvas.painter, s);
    EXPECT_EQ(400, grid.PlotRect().right);
    EXPECT_GT(grid.PlotRect().left, 0);
    s.cutXLabelsAtMin = true;
    grid.SetSettings(canvas.painter, s);
    EXPECT_EQ(0, grid.PlotRect().left);
}

TEST(GraphGrid, RotatedLabelsMeasureTheirWidthAcrossTheAxis) {
    TCanvas canvas;
    const QFontMetrics fm(canvas.painter.font());
    TGraphSettings s = Plain(0, 0, 400, 300);
    s.xMin = 0;
    s.xMax = 10000;
    s.yMin = 0;
    s.yMax = 1;
    CGraphGrid::QuickScale(s);
    s.leftFlags = s.topFlags = s.rightFlags = 0;
    s.bottomFlags = TGraphSettings::kLabelsRotated;
    CGraphGrid grid;
    grid.SetSettings(canvas.painter, s);
    EXPECT_EQ(fm.horizontalAdvance(QStringLiteral("10000")), grid.Margins(1).label);
    // Along the axis a rotated label is only as wide as a line is high.
    EXPECT_EQ(400 - fm.height() / 2, grid.PlotRect().right);
}

// The row of the image at y: whether it holds dark pixels between x0 and x1.
bool DarkLine(const QImage& image, int y, int x0, int x1) {
    int dark = 0;
    for (int x = x0; x < x1; ++x)
        if (qGray(image.pixel(x, y)) < 100) ++dark;
    return dark > (x1 - x0) * 3 / 4;
}

TEST(GraphGrid, TheZeroLineOnlyWhenTheRangeCrossesZero) {
    struct SCase {
        double min, max;
        bool zeroLine;
    };
    // Without the crossing the zero line would lie on the plot's edge: that row stays white.
    const SCase cases[] = {{-10, 10, true}, {0, 10, false}, {-10, 0, false}, {-3, 90, true}};
    for (const SCase& c : cases) {
        TCanvas canvas;
        TGraphSettings s = Plain(20, 20, 380, 280);
        s.fixedRect = true;
        s.xMin = 0;
        s.xMax = 10;
        s.yMin = c.min;
        s.yMax = c.max;
        s.topFlags = s.bottomFlags = s.leftFlags = s.rightFlags = 0;
        s.horizontalGrid = s.verticalGrid = false;
        s.zeroLineFlags = TGraphSettings::kLine;
        CGraphGrid grid;
        grid.SetSettings(canvas.painter, s);
        grid.Draw(canvas.painter);
        const int y = grid.MapY(0);
        ASSERT_GE(y, 0);
        ASSERT_LT(y, canvas.image.height());
        const bool drawn = DarkLine(canvas.image, y, 30, 370);
        EXPECT_EQ(c.zeroLine, drawn) << c.min << " .. " << c.max;
    }
}

TEST(GraphGrid, AutoScaleFitsTheLabelsAndRoundsTheEnds) {
    TCanvas canvas;
    TGraphSettings s = Plain(0, 0, 400, 300);
    s.xMin = 0;
    s.xMax = 37;
    s.yMin = 0;
    s.yMax = 87;
    CGraphGrid::AutoScale(s, canvas.painter, true, true);
    const QFontMetrics fm(canvas.painter.font());
    // Every y label of the data range fits into 70 % of the axis.
    const int labels = static_cast<int>(87 / s.yStep) + 1;
    EXPECT_LE(labels * fm.height(), 0.7 * 300);
    EXPECT_NEAR(0, s.yMin, 1e-9);
    EXPECT_NEAR(0, std::fmod(s.yMax, s.yStep), 1e-9);
    EXPECT_GT(s.yMax, 87);
    EXPECT_NEAR(s.yStep / 2, s.yMinorStep, 1e-12);
    EXPECT_NEAR(s.xStep / 2, s.xMinorStep, 1e-12);
    // A small plot gets fewer labels than a large one.
    TGraphSettings tall = s;
    tall.yMin = 0;
    tall.yMax = 87;
    tall.bottom = 60;
    CGraphGrid::AutoScale(tall, canvas.painter, false, false);
    EXPECT_GT(tall.yStep, s.yStep);
}

}  // namespace
