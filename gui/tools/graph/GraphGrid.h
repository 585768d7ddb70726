#pragma once
// The frame of a two-dimensional diagram: axes with lines, major and minor
// ticks, labels and titles, grid lines and a zero line, inside an outer
// rectangle. It works out the plot rectangle that is left once room for the
// labels is taken, maps values to pixels and picks round axis steps. Callers
// draw their own data into the plot rectangle. Everything goes through
// QPainter, so a diagram looks the same on screen, in pictures and on paper.
#include <QFont>
#include <QPen>
#include <QRect>
#include <string>

#include "tools/graph/GraphSettings.h"

class QPainter;

class CGraphGrid {
  public:
    // A rectangle as the settings hold it: right and bottom are exclusive.
    struct TRect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        QRect ToQRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
    };

    CGraphGrid() = default;
    virtual ~CGraphGrid() = default;

    // Copies the settings and lays the diagram out on `surface`.
    void SetSettings(QPainter& surface, const TGraphSettings& settings);
    // Lays out again, then draws grid lines, axes, the zero line, labels and titles.
    void Draw(QPainter& surface);

    const TGraphSettings& Settings() const { return m_settings; }
    const TRect& PlotRect() const { return m_plot; }

    int MapX(double x) const;
    int MapY(double y) const;

    // Surfaces whose y axis grows upwards: every drawn y is negated.
    void SetInvertedY(bool inverted) { m_invertedY = inverted; }

    // Round steps for the ranges of `settings` (x from "%0.0lf", y from "%5.0lf").
    static void QuickScale(TGraphSettings& settings);
    // Steps whose labels fit the axes on `surface`, and optionally ends rounded
    // to whole steps.
    static void AutoScale(TGraphSettings& settings, QPainter& surface, bool roundX, bool roundY);

    // The building blocks of the scaling rules, public for the diagrams and tests.
    struct TStep {
        double step = 0;
        std::u16string format;
    };
    // Quick step rule for one range; `format` is the base the precision is set in.
    static TStep QuickStep(double range, std::u16string_view baseFormat);
    // The smallest of 1, 2 and 5 times a power of ten that gives at most n points.
    static TStep NiceStep(double minimum, double maximum, int points, bool yAxis);
    // The rounded ends of the auto-scale.
    static double RoundMinimum(double minimum, double step, bool yAxis);
    static double RoundMaximum(double maximum, double step, bool yAxis);
    // The first tick at or above `minimum` on the step's grid.
    static double FirstTick(double minimum, double step);
    // The label of a value: the format filled with it, then the suffix.
    static std::u16string LabelText(double value, const std::u16string& format, const std::u16string& suffix);

    // Margins the last layout measured, per axis (0 top, 1 bottom, 2 left, 3 right).
    struct TMargins {
        int title = 0;
        int outerTick = 0;
        int label = 0;
    };
    const TMargins& Margins(int axis) const { return m_margins[axis]; }

  private:
    enum EAxis { kTop = 0, kBottom = 1, kLeft = 2, kRight = 3 };

    void EnsureTools(QPainter& surface);
    void Layout(QPainter& surface);
    int PenWidth(QPainter& surface) const;
    // Extent of a label across its axis and along it.
    QSize LabelSize(QPainter& surface, const std::u16string& text, bool rotated) const;
    int AxisMargin(QPainter& surface, int axis, std::uint32_t flags);
    int LabelOverhang(QPainter& surface, bool xAxis, bool atMax) const;

    void DrawGridLines(QPainter& surface);
    void DrawHorizontalAxis(QPainter& surface, int axis, std::uint32_t flags, int y);
    void DrawVerticalAxis(QPainter& surface, int axis, std::uint32_t flags, int x);
    void DrawText(QPainter& surface, const QRect& box, const QString& text, bool rotated);
    int Y(int y) const { return m_invertedY ? -y : y; }

    TGraphSettings m_settings;
    TRect m_plot;
    bool m_invertedY = false;
    bool m_needTools = true;
    QFont m_font;
    QPen m_gridPen;
    TMargins m_margins[4];
};
