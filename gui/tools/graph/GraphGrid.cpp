#include "tools/graph/GraphGrid.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "text/Format.h"

namespace {

using TS = TGraphSettings;

// A step that small against its range would draw millions of ticks; such an
// axis gets none rather than hanging the program.
constexpr int kMaxTicks = 10000;

QString ToQ(const std::u16string& text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// The tick values from the first tick up to the maximum (with a little slack so
// that a last tick lost to rounding is still drawn).
std::vector<double> Ticks(double minimum, double maximum, double step) {
    std::vector<double> ticks;
    if (!(step > 0) || !std::isfinite(minimum) || !std::isfinite(maximum)) return ticks;
    if ((maximum - minimum) / step > kMaxTicks) return ticks;
    const double first = CGraphGrid::FirstTick(minimum, step);
    for (int i = 0; i <= kMaxTicks; ++i) {
        const double v = first + i * step;
        if (v > maximum + step / 1000000.0) break;
        ticks.push_back(v);
    }
    return ticks;
}

std::u16string WithPrecision(std::u16string_view base, int digits) {
    std::u16string out(base);
    const std::size_t point = out.find(u'.');
    if (point == std::u16string::npos) return out;
    std::size_t end = point + 1;
    while (end < out.size() && out[end] >= u'0' && out[end] <= u'9') ++end;
    std::u16string number;
    for (char c : std::to_string(digits)) number += static_cast<char16_t>(c);
    out.replace(point + 1, end - point - 1, number);
    return out;
}

int ToPixel(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9));
}

bool HasLabels(std::uint32_t flags) {
    return (flags & (TS::kLabels | TS::kLabelsRotated)) != 0;
}

}  // namespace

// --- Mapping -----------------------------------------------------------------------

int CGraphGrid::MapX(double x) const {
    const double range = m_settings.xMax - m_settings.xMin;
    if (range == 0 || !std::isfinite(range)) return m_plot.left;
    return ToPixel((m_plot.right - m_plot.left + 0.1) / range * (x - m_settings.xMin) + m_plot.left + 0.5);
}

int CGraphGrid::MapY(double y) const {
    const double range = m_settings.yMax - m_settings.yMin;
    if (range == 0 || !std::isfinite(range)) return m_plot.bottom;
    return ToPixel(m_plot.bottom - (m_plot.bottom - m_plot.top + 0.1) / range * (y - m_settings.yMin) + 0.5);
}

// --- Scaling rules ---------------------------------------------------------------------

double CGraphGrid::FirstTick(double minimum, double step) {
    if (!(step > 0)) return minimum;
    const double q = minimum / step;
    const double whole = std::floor(std::fabs(q));
    if (std::fabs(q) - whole < 1e-19) return minimum;
    // The next multiple above; for a negative minimum that is the one nearer zero.
    return std::ceil(q) * step;
}

std::u16string CGraphGrid::LabelText(double value, const std::u16string& format,
                                     const std::u16string& suffix) {
    return Text::Format(format, value) + suffix;
}

CGraphGrid::TStep CGraphGrid::QuickStep(double range, std::u16string_view baseFormat) {
    TStep r{0, std::u16string(baseFormat)};
    if (!(range > 0) || !std::isfinite(range)) return r;
    const double l = std::log10(range);
    double b = std::floor(l);
    double f = l - b;
    if (f < 0.69897) {
        b -= 1;
        f += 1;
    }
    if (b < -11 || b > 11) return r;
    if (b < 0) r.format = WithPrecision(baseFormat, static_cast<int>(-b));
    const double mult = f < 1.02119 ? 1.0 : (f < 1.32222 ? 2.0 : 5.0);
    r.step = mult * std::pow(10.0, b);
    return r;
}

void CGraphGrid::QuickScale(TGraphSettings& settings) {
    const TStep x = QuickStep(settings.xMax - settings.xMin, u"%0.0lf");
    settings.xStep = x.step;
    settings.xMinorStep = x.step / 2;
    settings.xFormat = x.format;
    const TStep y = QuickStep(settings.yMax - settings.yMin, u"%5.0lf");
    settings.yStep = y.step;
    settings.yMinorStep = y.step / 2;
    settings.yFormat = y.format;
}

CGraphGrid::TStep CGraphGrid::NiceStep(double minimum, double maximum, int points, bool yAxis) {
    const double raw = (maximum - minimum) / (std::max(points, 2) - 1);
    // 1, 2 and 5 times 10^k for k = -11 ... 11, ascending.
    static const std::vector<double> candidates = [] {
        std::vector<double> c;
        for (int k = -11; k <= 11; ++k)
            for (double m : {1.0, 2.0, 5.0}) c.push_back(m * std::pow(10.0, k));
        return c;
    }();
    int h = 0;
    if (raw > 0 && std::isfinite(raw)) h = static_cast<int>(std::floor(std::log10(raw)));
    // Search from 5 * 10^(h - 1).
    const int start = std::clamp((h - 1 + 11) * 3 + 2, 0, static_cast<int>(candidates.size()) - 1);
    TStep r{candidates.back(), u"%0.0lf"};
    for (std::size_t i = static_cast<std::size_t>(start); i < candidates.size(); ++i) {
        if (!(candidates[i] < raw)) {
            r.step = candidates[i];
            break;
        }
    }
    int decimals = 0;
    if (yAxis) {
        if (h < 0) decimals = -h;
    } else {
        const int d = static_cast<int>(std::floor(std::log10(r.step)));
        if (d < 0) decimals = -d;
    }
    if (decimals > 0) r.format = WithPrecision(r.format, decimals);
    return r;
}

double CGraphGrid::RoundMinimum(double minimum, double step, bool yAxis) {
    if (!(step > 0) || !std::isfinite(minimum)) return minimum;
    const double q = minimum / step;
    // trunc; on the y axis a negative minimum goes one step further down.
    double rounded = (yAxis && minimum < 0 ? std::floor(q + 1e-9) : std::trunc(q)) * step;
    if (std::fabs(rounded - minimum) <= std::fabs(step) * 1e-9) rounded -= step;
    if (rounded < 0 && minimum >= 0) rounded = 0;
    return rounded;
}

double CGraphGrid::RoundMaximum(double maximum, double step, bool yAxis) {
    if (!(step > 0) || !std::isfinite(maximum)) return maximum;
    const double q = maximum / step;
    if (yAxis) return (std::trunc(q + 1e-9) + 1) * step;
    const bool multiple = std::fabs(q - std::round(q)) < 1e-9;
    if (!multiple) return (std::trunc(q) + 1) * step;
    const double next = (std::round(q) + 1) * step;
    return maximum / next >= 0.9 ? next : maximum;
}

void CGraphGrid::AutoScale(TGraphSettings& settings, QPainter& surface, bool roundX, bool roundY) {
    QuickScale(settings);
    CGraphGrid probe;
    probe.SetSettings(surface, settings);
    const int availableX = std::max(1, std::abs(probe.MapX(settings.xMax) - probe.MapX(settings.xMin)));
    const int availableY = std::max(1, std::abs(probe.MapY(settings.yMax) - probe.MapY(settings.yMin)));
    const QFontMetrics fm(surface.font());

    // Fewer and fewer points until the labels of all of them fit the axis.
    auto fit = [&](double minimum, double maximum, const std::u16string& suffix, bool yAxis) {
        const double factor = yAxis ? 0.7 : 0.75;
        const int available = yAxis ? availableY : availableX;
        TStep s;
        int n = 100;
        for (int guard = 0; guard < 200; ++guard) {
            s = NiceStep(minimum, maximum, n, yAxis);
            const QString label = ToQ(LabelText(maximum, s.format, {}));
            const double k = (maximum - minimum) / s.step;
            const double extent =
                yAxis ? fm.height() : fm.horizontalAdvance(ToQ(suffix)) + fm.horizontalAdvance(label);
            const double needed = (std::trunc(std::isfinite(k) ? k : 0) + 1) * extent;
            n = std::isfinite(k) ? static_cast<int>(std::clamp(k, -1.0, 1.0e6)) : 0;
            if (needed <= factor * available || n <= 1) break;
        }
        return s;
    };

    const TStep x = fit(settings.xMin, settings.xMax, settings.xSuffix, false);
    settings.xStep = x.step;
    settings.xFormat = x.format;
    const TStep y = fit(settings.yMin, settings.yMax, settings.ySuffix, true);
    settings.yStep = y.step;
    settings.yFormat = y.format;
    if (roundX) {
        settings.xMin = RoundMinimum(settings.xMin, settings.xStep, false);
        settings.xMax = RoundMaximum(settings.xMax, settings.xStep, false);
    }
    if (roundY) {
        settings.yMin = RoundMinimum(settings.yMin, settings.yStep, true);
        settings.yMax = RoundMaximum(settings.yMax, settings.yStep, true);
    }
    settings.xMinorStep = settings.xStep / 2;
    settings.yMinorStep = settings.yStep / 2;
}

// --- Layout ------------------------------------------------------------------------------

void CGraphGrid::SetSettings(QPainter& surface, const TGraphSettings& settings) {
    m_settings = settings;
    Layout(surface);
}

int CGraphGrid::PenWidth(QPainter& surface) const {
    return std::max(1, surface.pen().width());
}

void CGraphGrid::EnsureTools(QPainter& surface) {
    if (!m_needTools) return;
    m_needTools = false;
    m_font = surface.font();
    m_gridPen = QPen(QColor(m_settings.gridColor), PenWidth(surface), Qt::SolidLine);
}

QSize CGraphGrid::LabelSize(QPainter& surface, const std::u16string& text, bool rotated) const {
    (void)surface;
    if (text.empty()) return QSize(0, 0);
    const QFontMetrics fm(m_font);
    const QSize s(fm.horizontalAdvance(ToQ(text)), fm.height());
    return rotated ? s.transposed() : s;
}

int CGraphGrid::AxisMargin(QPainter& surface, int axis, std::uint32_t flags) {
    const bool horizontalAxis = axis == kTop || axis == kBottom;
    const int w = PenWidth(surface);
    // Extents across the axis: heights on a horizontal axis, widths on a
    // vertical one, of the text as it is drawn (rotated or not).
    auto across = [&](const QSize& drawn) { return horizontalAxis ? drawn.height() : drawn.width(); };
    int title = 0;
    if (flags & (TS::kTitle | TS::kTitleRotated)) {
        const std::u16string& text = horizontalAxis ? m_settings.xTitle : m_settings.yTitle;
        title = across(LabelSize(surface, text, (flags & TS::kTitleRotated) != 0 && !(flags & TS::kTitle)));
    }
    int tick = 0;
    if (flags & TS::kMajorOuter)
        tick = 5 * w;
    else if (flags & TS::kMinorOuter)
        tick = 3 * w;
    int label = 0;
    if (HasLabels(flags)) {
        const bool rotated = (flags & TS::kLabelsRotated) != 0 && !(flags & TS::kLabels);
        const double minimum = horizontalAxis ? m_settings.xMin : m_settings.yMin;
        const double maximum = horizontalAxis ? m_settings.xMax : m_settings.yMax;
        const double step = horizontalAxis ? m_settings.xStep : m_settings.yStep;
        const std::u16string& format = horizontalAxis ? m_settings.xFormat : m_settings.yFormat;
        const std::u16string& suffix = horizontalAxis ? m_settings.xSuffix : m_settings.ySuffix;
        for (double v : Ticks(minimum, maximum, step))
            label = std::max(label, across(LabelSize(surface, LabelText(v, format, suffix), rotated)));
    }
    m_margins[axis] = {title, tick, label};
    return title + tick + label;
}

int CGraphGrid::LabelOverhang(QPainter& surface, bool xAxis, bool atMax) const {
    if (xAxis ? (atMax ? m_settings.cutXLabelsAtMax : m_settings.cutXLabelsAtMin)
              : (atMax ? m_settings.cutYLabelsAtMax : m_settings.cutYLabelsAtMin))
        return 0;
    const double minimum = xAxis ? m_settings.xMin : m_settings.yMin;
    const double maximum = xAxis ? m_settings.xMax : m_settings.yMax;
    const double step = xAxis ? m_settings.xStep : m_settings.yStep;
    const std::vector<double> ticks = Ticks(minimum, maximum, step);
    if (ticks.empty()) return 0;
    const double value = atMax ? ticks.back() : minimum;
    const std::u16string text = LabelText(value, xAxis ? m_settings.xFormat : m_settings.yFormat,
                                          xAxis ? m_settings.xSuffix : m_settings.ySuffix);
    int overhang = 0;
    const std::uint32_t axes[2] = {xAxis ? m_settings.topFlags : m_settings.leftFlags,
                                   xAxis ? m_settings.bottomFlags : m_settings.rightFlags};
    for (std::uint32_t flags : axes) {
        if (!HasLabels(flags)) continue;
        const bool rotated = (flags & TS::kLabelsRotated) != 0 && !(flags & TS::kLabels);
        const QSize drawn = LabelSize(surface, text, rotated);
        // Along the axis: widths on the x axes, heights on the y axes.
        overhang = std::max(overhang, (xAxis ? drawn.width() : drawn.height()) / 2);
    }
    return overhang;
}

void CGraphGrid::Layout(QPainter& surface) {
    EnsureTools(surface);
    const TGraphSettings& s = m_settings;
    const TRect outer{s.left, s.top, s.right, s.bottom};
    const int top = AxisMargin(surface, kTop, s.topFlags);
    const int bottom = AxisMargin(surface, kBottom, s.bottomFlags);
    const int left = AxisMargin(surface, kLeft, s.leftFlags);
    const int right = AxisMargin(surface, kRight, s.rightFlags);
    if (s.fixedRect) {
        m_plot = outer;
        return;
    }
    m_plot.left = outer.left + std::max(left, LabelOverhang(surface, true, false));
    m_plot.right = outer.right - std::max(right, LabelOverhang(surface, true, true));
    m_plot.top = outer.top + std::max(top, LabelOverhang(surface, false, true));
    m_plot.bottom = outer.bottom - std::max(bottom, LabelOverhang(surface, false, false));
}

// --- Drawing -------------------------------------------------------------------------------

void CGraphGrid::DrawText(QPainter& surface, const QRect& box, const QString& text, bool rotated) {
    if (!rotated) {
        surface.drawText(box, Qt::AlignCenter | Qt::TextDontClip, text);
        return;
    }
    surface.save();
    // Text running upwards.
    surface.translate(box.left(), box.bottom() + 1);
    surface.rotate(m_invertedY ? 90 : -90);
    surface.drawText(QRect(0, 0, box.height(), box.width()), Qt::AlignCenter | Qt::TextDontClip, text);
    surface.restore();
}

void CGraphGrid::DrawGridLines(QPainter& surface) {
    const TGraphSettings& s = m_settings;
    surface.save();
    surface.setPen(m_gridPen);
    if (s.horizontalGrid)
        for (double v : Ticks(s.yMin, s.yMax, s.yStep))
            surface.drawLine(m_plot.left, Y(MapY(v)), m_plot.right, Y(MapY(v)));
    if (s.verticalGrid)
        for (double v : Ticks(s.xMin, s.xMax, s.xStep))
            surface.drawLine(MapX(v), Y(m_plot.top), MapX(v), Y(m_plot.bottom));
    surface.restore();
}

void CGraphGrid::DrawHorizontalAxis(QPainter& surface, int axis, std::uint32_t flags, int y) {
    const TGraphSettings& s = m_settings;
    const int w = PenWidth(surface);
    // Outside is up for the top axis, down for the bottom axis and the zero line.
    const int out = axis == kTop ? -1 : 1;
    if (flags & TS::kLineGridPen) {
        surface.save();
        surface.setPen(m_gridPen);
        surface.drawLine(m_plot.left, Y(y), m_plot.right, Y(y));
        surface.restore();
    } else if (flags & TS::kLine) {
        surface.drawLine(m_plot.left, Y(y), m_plot.right, Y(y));
    }
    auto ticks = [&](double step, int length, std::uint32_t inner, std::uint32_t outer) {
        if (!(flags & (inner | outer))) return;
        for (double v : Ticks(s.xMin, s.xMax, step)) {
            const int x = MapX(v);
            const int from = (flags & inner) ? y - out * length : y;
            const int to = (flags & outer) ? y + out * length : y;
            surface.drawLine(x, Y(from), x, Y(to));
        }
    };
    ticks(s.xStep, 5 * w, TS::kMajorInner, TS::kMajorOuter);
    ticks(s.xMinorStep, 3 * w, TS::kMinorInner, TS::kMinorOuter);
    if (axis != kTop && axis != kBottom) return;  // the zero line has no labels

    const TMargins& m = m_margins[axis];
    if (HasLabels(flags)) {
        const bool rotated = (flags & TS::kLabelsRotated) != 0 && !(flags & TS::kLabels);
        std::vector<double> values = Ticks(s.xMin, s.xMax, s.xStep);
        surface.save();
        if (!values.empty() && (s.cutXLabelsAtMin || s.cutXLabelsAtMax)) {
            // Labels one step beyond a cut end, clipped at the axis end.
            if (s.cutXLabelsAtMin) values.insert(values.begin(), values.front() - s.xStep);
            if (s.cutXLabelsAtMax) values.push_back(values.back() + s.xStep);
            const int clipLeft = s.cutXLabelsAtMin ? m_plot.left : -1000000;
            const int clipRight = s.cutXLabelsAtMax ? m_plot.right : 1000000;
            surface.setClipRect(QRect(QPoint(clipLeft, -1000000), QPoint(clipRight, 1000000)),
                                Qt::IntersectClip);
        }
        for (double v : values) {
            const QString text = ToQ(LabelText(v, s.xFormat, s.xSuffix));
            const QSize size = LabelSize(surface, LabelText(v, s.xFormat, s.xSuffix), rotated);
            const int x = MapX(v) - size.width() / 2;
            const int top = out > 0 ? y + m.outerTick : y - m.outerTick - size.height();
            DrawText(surface, QRect(x, Y(top), size.width(), size.height()), text, rotated);
        }
        surface.restore();
    }
    if ((flags & (TS::kTitle | TS::kTitleRotated)) && !s.xTitle.empty()) {
        const bool rotated = (flags & TS::kTitleRotated) != 0 && !(flags & TS::kTitle);
        const QSize size = LabelSize(surface, s.xTitle, rotated);
        const int x = (m_plot.left + m_plot.right) / 2 - size.width() / 2;
        const int distance = m.outerTick + m.label;
        const int top = out > 0 ? y + distance : y - distance - size.height();
        DrawText(surface, QRect(x, Y(top), size.width(), size.height()), ToQ(s.xTitle), rotated);
    }
}

void CGraphGrid::DrawVerticalAxis(QPainter& surface, int axis, std::uint32_t flags, int x) {
    const TGraphSettings& s = m_settings;
    const int w = PenWidth(surface);
    const int out = axis == kLeft ? -1 : 1;
    if (flags & TS::kLineGridPen) {
        surface.save();
        surface.setPen(m_gridPen);
        surface.drawLine(x, Y(m_plot.top), x, Y(m_plot.bottom));
        surface.restore();
    } else if (flags & TS::kLine) {
        surface.drawLine(x, Y(m_plot.top), x, Y(m_plot.bottom));
    }
    auto ticks = [&](double step, int length, std::uint32_t inner, std::uint32_t outer) {
        if (!(flags & (inner | outer))) return;
        for (double v : Ticks(s.yMin, s.yMax, step)) {
            const int y = MapY(v);
            const int from = (flags & inner) ? x - out * length : x;
            const int to = (flags & outer) ? x + out * length : x;
            surface.drawLine(from, Y(y), to, Y(y));
        }
    };
    ticks(s.yStep, 5 * w, TS::kMajorInner, TS::kMajorOuter);
    ticks(s.yMinorStep, 3 * w, TS::kMinorInner, TS::kMinorOuter);

    const TMargins& m = m_margins[axis];
    if (HasLabels(flags)) {
        const bool rotated = (flags & TS::kLabelsRotated) != 0 && !(flags & TS::kLabels);
        std::vector<double> values = Ticks(s.yMin, s.yMax, s.yStep);
        surface.save();
        if (!values.empty() && (s.cutYLabelsAtMin || s.cutYLabelsAtMax)) {
            if (s.cutYLabelsAtMin) values.insert(values.begin(), values.front() - s.yStep);
            if (s.cutYLabelsAtMax) values.push_back(values.back() + s.yStep);
            // y grows downwards: the maximum is at the top of the plot.
            const int clipTop = s.cutYLabelsAtMax ? m_plot.top : -1000000;
            const int clipBottom = s.cutYLabelsAtMin ? m_plot.bottom : 1000000;
            surface.setClipRect(
                QRect(QPoint(-1000000, Y(clipTop)), QPoint(1000000, Y(clipBottom))).normalized(),
                Qt::IntersectClip);
        }
        for (double v : values) {
            const std::u16string label = LabelText(v, s.yFormat, s.ySuffix);
            const QSize size = LabelSize(surface, label, rotated);
            const int top = MapY(v) - size.height() / 2;
            const int left = out < 0 ? x - m.outerTick - size.width() : x + m.outerTick;
            DrawText(surface, QRect(left, Y(top), size.width(), size.height()), ToQ(label), rotated);
        }
        surface.restore();
    }
    if ((flags & (TS::kTitle | TS::kTitleRotated)) && !s.yTitle.empty()) {
        const bool rotated = (flags & TS::kTitleRotated) != 0 && !(flags & TS::kTitle);
        const QSize size = LabelSize(surface, s.yTitle, rotated);
        const int top = (m_plot.top + m_plot.bottom) / 2 - size.height() / 2;
        const int distance = m.outerTick + m.label;
        const int left = out < 0 ? x - distance - size.width() : x + distance;
        DrawText(surface, QRect(left, Y(top), size.width(), size.height()), ToQ(s.yTitle), rotated);
    }
}

void CGraphGrid::Draw(QPainter& surface) {
    Layout(surface);
    surface.save();
    surface.setFont(m_font);
    surface.setBackgroundMode(Qt::TransparentMode);
    DrawGridLines(surface);
    const TGraphSettings& s = m_settings;
    DrawHorizontalAxis(surface, kTop, s.topFlags, m_plot.top);
    DrawHorizontalAxis(surface, kBottom, s.bottomFlags, m_plot.bottom);
    if (s.yMin < 0 && 0 < s.yMax) DrawHorizontalAxis(surface, -1, s.zeroLineFlags & 0x41F, MapY(0));
    DrawVerticalAxis(surface, kLeft, s.leftFlags, m_plot.left);
    DrawVerticalAxis(surface, kRight, s.rightFlags, m_plot.right);
    surface.restore();
}
