#pragma once
// What a diagram asks of its axes: the outer rectangle, the value ranges, the
// steps, label formats, titles and suffixes, which parts of each axis to draw,
// the grid lines and the label cut flags. A caller fills one and hands it to
// CGraphGrid.
#include <QRect>
#include <QRgb>
#include <cstdint>
#include <string>

struct TGraphSettings {
    // Axis flag bits (top, bottom, left and right axes alike).
    static constexpr std::uint32_t kLine = 0x001;         // axis line with the current pen
    static constexpr std::uint32_t kLineGridPen = 0x400;  // axis line with the grid pen
    static constexpr std::uint32_t kMajorInner = 0x002;   // major ticks towards the plot
    static constexpr std::uint32_t kMajorOuter = 0x004;
    static constexpr std::uint32_t kMinorInner = 0x008;
    static constexpr std::uint32_t kMinorOuter = 0x010;
    static constexpr std::uint32_t kLabels = 0x020;         // horizontal label text
    static constexpr std::uint32_t kLabelsRotated = 0x040;  // label text turned by 90 degrees
    static constexpr std::uint32_t kTitle = 0x080;
    static constexpr std::uint32_t kTitleRotated = 0x100;

    // Device pixels; an empty rectangle until the caller sets one.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool fixedRect = false;  // the plot rectangle is the outer rectangle: no room reserved

    double xMin = 0;
    double xMax = 0;
    double xStep = 0;
    double xMinorStep = 0;
    std::u16string xFormat = u"%0.0lf";
    std::u16string xTitle;
    std::u16string xSuffix;

    double yMin = 0;
    double yMax = 0;
    double yStep = 0;
    double yMinorStep = 0;
    std::u16string yFormat = u"%0.0lf";
    std::u16string yTitle;
    std::u16string ySuffix;

    std::uint32_t topFlags = 0x1F;
    std::uint32_t bottomFlags = 0xBF;
    std::uint32_t leftFlags = 0x13F;
    std::uint32_t rightFlags = 0x1F;
    std::uint32_t zeroLineFlags = 0x1F;  // line and tick bits only
    std::uint32_t sixthFlags = 0x1F;     // kept with the settings, never drawn

    bool horizontalGrid = true;
    bool verticalGrid = true;
    bool cutXLabelsAtMax = false;
    bool cutXLabelsAtMin = false;
    bool cutYLabelsAtMax = false;
    bool cutYLabelsAtMin = false;
    QRgb gridColor = qRgb(168, 168, 168);

    // The axes of the pages' bar diagrams: n bars centred on 0 .. n-1, values
    // from 0 to yMax on a left axis with ticks and labels, light horizontal
    // grid lines and no other axis. The caller sets the rectangle.
    static TGraphSettings BarDiagram(int n, double yMax) {
        TGraphSettings s;
        s.xMin = -0.5;
        s.xMax = n + 0.5;
        s.yMin = 0;
        s.yMax = yMax;
        s.topFlags = 0;
        s.bottomFlags = 0;
        s.rightFlags = 0;
        s.zeroLineFlags = 0;
        s.leftFlags = kLine | kMajorOuter | kMinorOuter | kLabels;
        s.verticalGrid = false;
        s.gridColor = qRgb(214, 222, 230);
        return s;
    }

    QRect OuterRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
    void SetOuterRect(const QRect& r) {
        left = r.left();
        top = r.top();
        right = r.right() + 1;
        bottom = r.bottom() + 1;
    }
};
