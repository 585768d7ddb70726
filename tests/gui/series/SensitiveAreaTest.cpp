// The clickable rectangles of owner-drawn views.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include "tools/dialogs/SensitiveArea.h"

namespace {

TEST(SensitiveArea, TheHighestRankWinsWhereRectanglesOverlap) {
    struct SCase {
        const char* what;
        int firstRank;
        int secondRank;
        int expectedId;
    };
    const SCase cases[] = {
        {"later and higher", 1, 2, 2},
        {"earlier and higher", 2, 1, 1},
        {"equal ranks: the earliest", 3, 3, 1},
    };
    for (const SCase& c : cases) {
        CSensitiveArea areas;
        areas.Add(QRect(0, 0, 100, 100), c.firstRank, 1, 11, QStringLiteral("first"));
        areas.Add(QRect(50, 50, 100, 100), c.secondRank, 2, 22, QStringLiteral("second"));
        const auto hit = areas.HitTest(QPoint(75, 75));
        ASSERT_TRUE(hit) << c.what;
        EXPECT_EQ(c.expectedId, hit->id) << c.what;
        EXPECT_EQ(c.expectedId == 1 ? 11 : 22, hit->second) << c.what;
        EXPECT_EQ(c.expectedId == 1 ? QStringLiteral("first") : QStringLiteral("second"), hit->text)
            << c.what;
        // Outside the overlap each answers for itself.
        EXPECT_EQ(1, areas.HitTest(QPoint(10, 10))->id) << c.what;
        EXPECT_EQ(2, areas.HitTest(QPoint(140, 140))->id) << c.what;
    }
}

TEST(SensitiveArea, EdgesCountAndOutsideIsNothing) {
    CSensitiveArea areas;
    areas.Add(QRect(10, 20, 30, 40), 1, 5);  // x 10..40, y 20..60 with the edges
    for (const QPoint p : {QPoint(10, 20), QPoint(40, 60), QPoint(40, 20), QPoint(25, 60)})
        EXPECT_TRUE(areas.HitTest(p)) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(9, 20), QPoint(41, 30), QPoint(25, 61), QPoint(25, 19)})
        EXPECT_FALSE(areas.HitTest(p)) << p.x() << "," << p.y();
    areas.Clear();
    EXPECT_FALSE(areas.HitTest(QPoint(20, 30)));
    EXPECT_EQ(0u, areas.Count());
}

TEST(SensitiveArea, AFreedSlotIsTakenFirst) {
    CSensitiveArea areas;
    areas.Add(QRect(0, 0, 10, 10), 1, 1);
    areas.Add(QRect(20, 0, 10, 10), 1, 2);
    areas.Release(0);
    EXPECT_FALSE(areas.HitTest(QPoint(5, 5)));
    areas.Add(QRect(40, 0, 10, 10), 1, 3);
    ASSERT_EQ(2u, areas.Count());
    EXPECT_EQ(3, areas.Entries()[0].id);
    EXPECT_EQ(2, areas.Entries()[1].id);
}

TEST(SensitiveArea, ATextTakesItsExtentAtItsPosition) {
    QFont font;
    font.setPixelSize(14);
    const QFontMetrics fm(font);
    CSensitiveArea areas;
    const QString text = QStringLiteral("[measurement order]");
    areas.AddText(QPoint(7, 9), fm, text, 1, 1);
    const QRect r = areas.Entries().front().rect;
    EXPECT_EQ(QPoint(7, 9), r.topLeft());
    EXPECT_EQ(fm.horizontalAdvance(text), r.width());
    EXPECT_EQ(fm.height(), r.height());
}

}  // namespace
