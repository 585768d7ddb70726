#include "views/series/ChooserIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <map>

#include "views/series/ColorScheme.h"

namespace {

constexpr int kS = CChooserIcons::kSize;

void Badge(QPainter& p, int x, const QColor& fill, const QString& text, int pixelSize) {
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(x + 0.5, 0.5, kS - 1, kS - 1), 3, 3);
    QFont f;
    f.setPixelSize(pixelSize);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(x, 0, kS, kS), Qt::AlignCenter, text);
}

// Small bars on a base line; `colors` picks the colour per bar.
void Bars(QPainter& p, int x, const int (&heights)[5], const QColor (&colors)[5]) {
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(colors[i]);
        p.drawRect(x + 1 + i * 3, kS - 2 - heights[i], 2, heights[i]);
    }
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.drawLine(x, kS - 1, x + kS - 1, kS - 1);
}

void UnitStrip(QPainter& p) {
    const QColor c = CColorScheme::NormalBar();
    const QColor d = CColorScheme::Link();
    Badge(p, 0 * kS, d, QStringLiteral("R"), 11);
    Badge(p, 1 * kS, d, QStringLiteral("Q"), 11);
    Badge(p, 2 * kS, c, QStringLiteral("N"), 10);
    Badge(p, 3 * kS, c, QStringLiteral("kg"), 8);
    Badge(p, 4 * kS, c, QStringLiteral("psi"), 7);
    Badge(p, 5 * kS, c, QStringLiteral("MPa"), 6);
}

void ModeStrip(QPainter& p) {
    const QColor n = CColorScheme::NormalBar();
    const QColor o = CColorScheme::OutlierBar();
    const QColor m = CColorScheme::MedianBar();
    const QColor line(200, 60, 40);
    const int h[5] = {6, 10, 8, 12, 7};
    const int sorted[5] = {5, 7, 9, 11, 13};
    // 0 Single: one bar.
    p.setPen(Qt::NoPen);
    p.setBrush(n);
    p.drawRect(6, 4, 4, kS - 6);
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.drawLine(0, kS - 1, kS - 1, kS - 1);
    // 1 Median only and 5 Median EN: sorted bars with the middle one marked.
    const QColor median[5] = {n, n, m, n, n};
    Bars(p, 1 * kS, sorted, median);
    const QColor medianEn[5] = {o, n, m, n, o};
    Bars(p, 5 * kS, sorted, medianEn);
    // 2 Mean: bars with the mean line.
    const QColor plain[5] = {n, n, n, n, n};
    Bars(p, 2 * kS, h, plain);
    p.setPen(QPen(line, 1));
    p.drawLine(2 * kS, 7, 3 * kS - 1, 7);
    // 3 Mean outlier: the highest and lowest bars dark.
    const QColor outlier[5] = {n, o, n, o, n};
    Bars(p, 3 * kS, h, outlier);
    p.setPen(QPen(line, 1));
    p.drawLine(3 * kS, 7, 4 * kS - 1, 7);
    // 4 Mean ASTM: a band around the mean.
    Bars(p, 4 * kS, h, plain);
    p.setPen(QPen(line, 1, Qt::DotLine));
    p.drawLine(4 * kS, 4, 5 * kS - 1, 4);
    p.drawLine(4 * kS, 10, 5 * kS - 1, 10);
    // 6 Mean JGJ: three bars cut at each end.
    const QColor jgj[5] = {o, n, n, n, o};
    Bars(p, 6 * kS, sorted, jgj);
    p.setPen(QPen(line, 1));
    p.drawLine(6 * kS, 6, 7 * kS - 1, 6);
    // 7 and 8: spare icons for the other mean methods.
    Bars(p, 7 * kS, h, plain);
    Bars(p, 8 * kS, sorted, plain);
}

void Cube(QPainter& p, int x) {
    const QColor edge = CColorScheme::Link();
    p.setPen(QPen(edge, 1));
    QPolygon front;
    front << QPoint(x + 1, 5) << QPoint(x + 11, 5) << QPoint(x + 11, 14) << QPoint(x + 1, 14);
    QPolygon lid;
    lid << QPoint(x + 1, 5) << QPoint(x + 5, 1) << QPoint(x + 14, 1) << QPoint(x + 11, 5);
    QPolygon side;
    side << QPoint(x + 11, 5) << QPoint(x + 14, 1) << QPoint(x + 14, 10) << QPoint(x + 11, 14);
    p.setBrush(QColor(191, 219, 227));
    p.drawPolygon(front);
    p.setBrush(QColor(225, 238, 243));
    p.drawPolygon(lid);
    p.setBrush(QColor(160, 196, 206));
    p.drawPolygon(side);
}

// A cylinder `w` wide, centred in the icon.
void Cylinder(QPainter& p, int x, int w) {
    const QColor edge = CColorScheme::Link();
    const int left = x + (kS - w) / 2;
    p.setPen(QPen(edge, 1));
    p.setBrush(QColor(191, 219, 227));
    p.drawEllipse(QRect(left, 11, w, 4));
    p.setPen(Qt::NoPen);
    p.drawRect(left, 3, w, 10);
    p.setPen(QPen(edge, 1));
    p.drawLine(left, 3, left, 13);
    p.drawLine(left + w, 3, left + w, 13);
    p.setBrush(QColor(225, 238, 243));
    p.drawEllipse(QRect(left, 1, w, 4));
}

void FormStrip(QPainter& p) {
    // 0 cylinders, 1 cubes, 2 drilled cores (the older format's codes 0-2,
    // 3-6, 7-9); 3 the cylinder rule, 4 the cube at 100 %, 5 a factor of
    // one's own on a slider.
    Cylinder(p, 0 * kS, 10);
    Cube(p, 1 * kS);
    Cylinder(p, 2 * kS, 6);
    Cylinder(p, 3 * kS, 10);
    Cube(p, 4 * kS);
    const QColor edge = CColorScheme::Link();
    p.setPen(QPen(edge, 2));
    p.drawLine(5 * kS + 8, 2, 5 * kS + 8, 14);
    p.setPen(QPen(edge, 1));
    p.setBrush(CColorScheme::NormalBar());
    p.drawRect(5 * kS + 4, 6, 8, 4);
}

void CurveStrip(QPainter& p) {
    // A rising curve in a frame, coloured by kind, with a letter for the slots.
    struct SCurve {
        QColor color;
        QString letter;
    };
    const SCurve curves[9] = {
        {QColor(0, 111, 127), QStringLiteral("L")}, {QColor(0, 160, 191), QStringLiteral("B")},
        {QColor(0, 130, 90), QStringLiteral("C")},  {QColor(120, 70, 150), QStringLiteral("H")},
        {QColor(200, 120, 0), QString()},           {QColor(200, 80, 40), QStringLiteral("1")},
        {QColor(200, 80, 40), QStringLiteral("2")}, {QColor(200, 80, 40), QStringLiteral("3")},
        {QColor(90, 90, 90), QStringLiteral("%")},
    };
    QFont f;
    f.setPixelSize(8);
    f.setBold(true);
    p.setFont(f);
    for (int i = 0; i < 9; ++i) {
        const int x = i * kS;
        p.setPen(QPen(QColor(150, 150, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(x + 1, 1, x + 1, kS - 2);
        p.drawLine(x + 1, kS - 2, x + kS - 1, kS - 2);
        QPainterPath path;
        path.moveTo(x + 2, kS - 4);
        path.cubicTo(x + 7, kS - 5, x + 11, kS - 9, x + 15, 2);
        p.setPen(QPen(curves[i].color, 2));
        p.drawPath(path);
        if (!curves[i].letter.isEmpty()) {
            p.setPen(curves[i].color);
            p.drawText(QRect(x + 2, 0, 8, 9), Qt::AlignLeft | Qt::AlignTop, curves[i].letter);
        }
    }
}

}  // namespace

int CChooserIcons::Count(EChooserStrip strip) {
    switch (strip) {
        case EChooserStrip::kUnit:
            return 6;
        case EChooserStrip::kMode:
            return 9;
        case EChooserStrip::kForm:
            return 6;
        case EChooserStrip::kCurve:
            return 9;
        case EChooserStrip::kNone:
            break;
    }
    return 0;
}

QPixmap CChooserIcons::Strip(EChooserStrip strip) {
    static std::map<EChooserStrip, QPixmap> cache;
    auto it = cache.find(strip);
    if (it != cache.end()) return it->second;
    const int count = Count(strip);
    QPixmap pixmap(std::max(1, count) * kS, kS);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        switch (strip) {
            case EChooserStrip::kUnit:
                UnitStrip(p);
                break;
            case EChooserStrip::kMode:
                ModeStrip(p);
                break;
            case EChooserStrip::kForm:
                FormStrip(p);
                break;
            case EChooserStrip::kCurve:
                CurveStrip(p);
                break;
            case EChooserStrip::kNone:
                break;
        }
    }
    cache[strip] = pixmap;
    return pixmap;
}

QIcon CChooserIcons::Icon(EChooserStrip strip, int index) {
    if (index < 0 || index >= Count(strip)) return QIcon();
    return QIcon(Strip(strip).copy(index * kS, 0, kS, kS));
}
