#include "views/summary/SummaryPainter.h"

#include <QHash>
#include <QPainter>
#include <algorithm>
#include <numeric>

#include "model/ModelTypes.h"
#include "model/SummaryData.h"
#include "report/SummaryTexts.h"
#include "tools/dialogs/SensitiveArea.h"
#include "tools/graph/GraphGrid.h"
#include "tools/graph/TextFlow.h"
#include "ui/UiText.h"
#include "views/series/ColorScheme.h"

namespace {

using UiText::Get;
using UiText::ToQ;

int PixelSize(const QFont& f) {
    if (f.pixelSize() > 0) return f.pixelSize();
    return std::max(1, qRound(f.pointSizeF() * 96.0 / 72.0));
}

QFont WithPixelSize(QFont f, int size) {
    f.setPixelSize(std::max(1, size));
    return f;
}

}  // namespace

CSummaryPainter::TFonts::TFonts(const QFont& base) {
    // Pixel sizes throughout: a printer or a picture scales the painter, and
    // the page keeps the proportions of the screen.
    normal = WithPixelSize(base, PixelSize(base));
    underline = normal;
    underline.setUnderline(true);
    bold = normal;
    bold.setWeight(QFont::ExtraBold);
    boldUnderline = bold;
    boldUnderline.setUnderline(true);
    large = WithPixelSize(bold, static_cast<int>(QFontMetrics(normal).height() * 1.8 / 1.2));
}

CSummaryPainter::CSummaryPainter(QPainter& painter, const TFonts& fonts, const CSummaryContent& content,
                                 int hovered, CSensitiveArea* left, CSensitiveArea* right, const QRect& visible)
    : m_p(painter),
      m_fonts(fonts),
      m_content(content),
      m_summary(content.Summary()),
      m_hovered(hovered),
      m_left(left),
      m_right(right),
      m_visible(visible),
      m_normalMetrics(fonts.normal),
      m_boldMetrics(fonts.bold),
      m_lineHeight(static_cast<int>(m_boldMetrics.height() * 1.2)),
      m_valueHeight(m_normalMetrics.height()) {}

int CSummaryPainter::Width(const QString& text, const QFont& font) const {
    return (font.weight() >= QFont::Bold ? m_boldMetrics : m_normalMetrics).horizontalAdvance(text);
}

int CSummaryPainter::DrawText(int x, int y, const QString& text, const QFont& font, const QColor& color) {
    return DrawText(x, y, text, font, color, Width(text, font));
}

int CSummaryPainter::DrawText(int x, int y, const QString& text, const QFont& font, const QColor& color, int w) {
    const QFontMetrics& fm = font.weight() >= QFont::Bold ? m_boldMetrics : m_normalMetrics;
    if (!m_measure && m_visible.intersects(QRect(x, y, w + 1, fm.height()))) {
        m_p.setFont(font);
        m_p.setPen(color);
        m_p.drawText(x, y + fm.ascent(), text);
    }
    return w;
}

int CSummaryPainter::Title(int x, int y, unsigned id) {
    return DrawText(x + kMargin, y + kMargin, Get(id), m_fonts.bold, CColorScheme::TableText());
}

// --- Statistics ------------------------------------------------------------------------------

QSize CSummaryPainter::Statistics(int x, int y) {
    const Report::TSummaryStatisticsTexts& t = m_content.statisticsTexts;
    const int titleWidth = Title(x, y, 59459);
    const int top = y + kMargin + m_lineHeight;
    const QColor text = CColorScheme::TableText();
    int column = x + kMargin;
    int right = column;
    for (int c = 0; c < 3; ++c) {
        const auto& texts = c == 0 ? t.labels : (c == 1 ? t.symbols : t.values);
        int widest = 0;
        for (int i = 0; i < 4; ++i) {
            const int ly = top + i * m_lineHeight;
            const QString s = ToQ(texts[static_cast<std::size_t>(i)]);
            int w = 0;
            if (c == 0 && i == 2) {
                const QFont& f = m_hovered == kItemAveraging ? m_fonts.underline : m_fonts.normal;
                w = DrawText(column, ly, s, f, CColorScheme::Link());
                if (m_left && !m_measure) m_left->Add(QRect(column, ly, w, m_valueHeight), 1, kItemAveraging);
            } else {
                w = DrawText(column, ly, s, m_fonts.normal, text);
            }
            widest = std::max(widest, w);
        }
        right = column + widest;
        // Short symbols ("N", "s") would leave the values glued to them.
        column += std::max(static_cast<int>(1.1 * widest), widest + m_normalMetrics.horizontalAdvance(u'n'));
    }
    return QSize(std::max(titleWidth + 2 * kMargin, right - x + kMargin), top + 4 * m_lineHeight - y + kMargin);
}

// --- Settings --------------------------------------------------------------------------------

QSize CSummaryPainter::Settings(int x, int y) {
    const std::vector<Report::TLabelValue>& lines = m_content.settings;
    const int titleWidth = Title(x, y, 59460);
    const int top = y + kMargin + m_lineHeight;
    const int labelX = x + kMargin;
    const QColor text = CColorScheme::TableText();
    int widestLabel = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        widestLabel = std::max(widestLabel, DrawText(labelX, top + static_cast<int>(i) * m_lineHeight,
                                                     ToQ(lines[i].label), m_fonts.normal, text));
    const int valueX = labelX + static_cast<int>(1.4 * widestLabel);
    int widestValue = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        widestValue = std::max(widestValue, DrawText(valueX, top + static_cast<int>(i) * m_lineHeight,
                                                     ToQ(lines[i].value), m_fonts.normal, text));
    return QSize(std::max(titleWidth + 2 * kMargin, valueX + widestValue - x + kMargin),
                 top + static_cast<int>(lines.size()) * m_lineHeight - y + kMargin);
}

// --- Comment ---------------------------------------------------------------------------------

QSize CSummaryPainter::Comment(int x, int y, int width) {
    Title(x, y, 59443);
    const int top = y + kMargin + m_lineHeight;
    const int left = x + kMargin;
    const int right = x + std::max(width, 2 * kMargin + 1) - kMargin;
    const QFont& font = m_hovered == kItemComment ? m_fonts.underline : m_fonts.normal;
    const QColor link = CColorScheme::Link();

    const int lastLine = TextFlow::Flow(
        m_content.comment, left, right, top, m_lineHeight,
        [&](const QString& piece) { return Width(piece, m_fonts.normal); },
        [&](const QString& piece, const QPoint& at) {
            const int w = DrawText(at.x(), at.y(), piece, font, link);
            if (m_left && !m_measure) m_left->Add(QRect(at.x(), at.y(), w, m_valueHeight), 1, kItemComment);
            return w;
        });
    return QSize(width, lastLine + m_lineHeight - y + kMargin);
}

// --- Values list -----------------------------------------------------------------------------

int CSummaryPainter::ValuesListWidth(int height) const {
    const int top = kMargin + m_lineHeight;
    const int bottom = height - kMargin;
    int columnX = kMargin;
    int widest = 0;
    int vy = top;
    for (int w : m_content.valueWidths) {
        if (vy + m_valueHeight > bottom && vy > top) {
            columnX += static_cast<int>(1.8 * widest);
            widest = 0;
            vy = top;
        }
        widest = std::max(widest, w);
        vy += m_valueHeight;
    }
    const int titleWidth = m_boldMetrics.horizontalAdvance(Get(59458));
    return std::max(titleWidth + 2 * kMargin, columnX + widest + kMargin);
}

QSize CSummaryPainter::ValuesList(int x, int y, int height) {
    const int titleWidth = Title(x, y, 59458);
    const int top = y + kMargin + m_lineHeight;
    const int bottom = y + height - kMargin;
    int columnX = x + kMargin;
    int widest = 0;
    int vy = top;
    const QColor text = CColorScheme::TableText();
    const std::vector<QString>& texts = m_content.valueTexts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (vy + m_valueHeight > bottom && vy > top) {
            columnX += static_cast<int>(1.8 * widest);
            widest = 0;
            vy = top;
        }
        const int w = m_content.valueWidths[i];
        DrawText(columnX, vy, texts[i], m_fonts.normal, text, w);
        if (!m_measure && !m_summary.GetValue(0, static_cast<int>(i)).Valid &&
            m_visible.intersects(QRect(columnX - 2, vy, w + 3, m_valueHeight))) {
            // The series is invalid: its value is struck through.
            m_p.setPen(QPen(text, 1));
            const int mid = vy + m_valueHeight / 2;
            m_p.drawLine(columnX - 2, mid, columnX + w, mid);
        }
        widest = std::max(widest, w);
        vy += m_valueHeight;
    }
    return QSize(std::max(titleWidth + 2 * kMargin, columnX + widest - x + kMargin), height);
}

// --- Diagram ---------------------------------------------------------------------------------

void CSummaryPainter::BarGeometry(int n, int width, int* barWidth, int* gap) {
    const int available = width - 2 * kMargin - 30;
    for (int m = 24; m >= 1; --m) {
        const int g = m == 24 ? 2 : (m >= 3 ? 1 : 0);
        if (n * m + (n + 2) * g <= available || m == 1) {
            *barWidth = m;
            *gap = g;
            return;
        }
    }
}

int CSummaryPainter::LabelPixelSize(const TFonts& fonts, int barWidth) {
    int size = PixelSize(fonts.large);
    // Rotated, a text's thickness is its line height.
    while (size > 1 && QFontMetrics(WithPixelSize(fonts.large, size)).height() > barWidth + 4) --size;
    return size;
}

std::vector<int> CSummaryPainter::MedianValues(const CSummaryData& summary) {
    if (summary.GetEntryCount() == 0 || summary.GetAveraging(0) != kSummaryMedian) return {};
    std::vector<int> usable;
    for (int i = 0; i < summary.GetValueCount(0); ++i)
        if (!IsNoValue(summary.GetValue(0, i).Value)) usable.push_back(i);
    if (usable.empty()) return {};
    std::stable_sort(usable.begin(), usable.end(),
                     [&](int a, int b) { return summary.GetValue(0, a).Value < summary.GetValue(0, b).Value; });
    const std::size_t mid = usable.size() / 2;
    if (usable.size() % 2) return {usable[mid]};
    return {usable[mid - 1], usable[mid]};
}

QString CSummaryPainter::ShortName(const QString& name, const QFontMetrics& metrics) {
    constexpr int kMaxWidth = 80;
    if (metrics.horizontalAdvance(name) <= kMaxWidth) return name;
    QString head = name;
    const QString dots = QStringLiteral("...");
    while (!head.isEmpty() && metrics.horizontalAdvance(head + dots) > kMaxWidth) head.chop(1);
    return head + dots;
}

QSize CSummaryPainter::Diagram(int x, int y, int width, TResult& result) {
    const int n = m_summary.GetValueCount(0);
    const QColor text = CColorScheme::TableText();

    int titleWidth = DrawText(x + kMargin, y + kMargin, Get(59457) + QLatin1Char(' '), m_fonts.bold, text);
    if (n >= 2) {
        const int sx = x + kMargin + titleWidth;
        const int w = DrawText(sx, y + kMargin, m_content.orderLabel,
                               m_hovered == kItemOrder ? m_fonts.boldUnderline : m_fonts.bold, CColorScheme::Link());
        if (m_left) m_left->Add(QRect(sx, y + kMargin, w, m_boldMetrics.height()), 1, kItemOrder);
        titleWidth += w;
    }

    int m = 1;
    int g = 0;
    BarGeometry(n, width, &m, &g);
    const int labelSize = LabelPixelSize(m_fonts, m);
    const QFont labelFont = WithPixelSize(m_fonts.large, labelSize);
    const QFontMetrics lm(labelFont);
    // Below three pixels a font is unreadable; and bars without a gap between
    // them would put their values on top of each other in a smear.
    const bool values = labelSize > 3 && g > 0;
    // Names are written in the normal font: in the bars' bold one the 80
    // pixels would hold three letters.
    const QFontMetrics& nm = m_normalMetrics;
    const bool names = 1.3 * nm.tightBoundingRect(QStringLiteral("A")).height() < m + g;
    result.barWidth = m;
    result.barGap = g;
    result.labelPixelSize = labelSize;
    result.valuesShown = values;
    result.namesShown = names;

    const std::vector<int>& bars = m_content.bars;
    const int nameSpace = names ? m_content.WidestShortName() + 3 : 0;
    const double largest = m_content.largest;
    TGraphSettings settings = TGraphSettings::BarDiagram(n, largest > 0 ? 1.3 * largest : 1.0);
    settings.left = x + kMargin;
    settings.top = y + kMargin + m_lineHeight + m_valueHeight + 4;
    settings.right = x + width - kMargin;
    settings.bottom = y + kDiagramHeight - kMargin - nameSpace;
    m_p.save();
    m_p.setFont(m_fonts.normal);
    m_p.setPen(QPen(text, 1));
    CGraphGrid::AutoScale(settings, m_p, false, false);
    CGraphGrid grid;
    grid.SetSettings(m_p, settings);
    const QString& unit = m_content.unit;
    const int unitWidth = m_normalMetrics.horizontalAdvance(unit);
    const std::vector<QString>* valueTexts = values ? &m_content.DiagramTexts() : nullptr;
    // Whether the text above a bar would run into the unit above the plot:
    // the rotated text is up to two pixels thicker than its bar.
    const auto underUnit = [&](int barLeft, int originX) {
        const int unitLeft = originX - unitWidth / 2;
        return barLeft - 2 < unitLeft + unitWidth && barLeft + m + 2 > unitLeft;
    };
    if (values && largest > 0) {
        // Every value's text must stay below the title line, and below the
        // unit where the bar stands under it: the axis grows until they do.
        // Entries without a value lie flat and do not count here.
        std::vector<int> widths(bars.size(), 0);
        for (std::size_t i = 0; i < bars.size(); ++i)
            if (!IsNoValue(m_summary.GetValue(0, bars[i]).Value))
                widths[i] = lm.horizontalAdvance((*valueTexts)[static_cast<std::size_t>(bars[i])]);
        const int ceiling = y + kMargin + m_lineHeight;
        const auto fits = [&] {
            const CGraphGrid::TRect plot = grid.PlotRect();
            for (std::size_t i = 0; i < bars.size(); ++i) {
                const float value = m_summary.GetValue(0, bars[i]).Value;
                if (IsNoValue(value)) continue;
                const int left = plot.left + g + 4 + static_cast<int>(i) * (m + g);
                const int roof = underUnit(left, plot.left) ? plot.top - 3 : ceiling;
                if (grid.MapY(value) - 3 - widths[i] < roof) return false;
            }
            return true;
        };
        for (int step = 0; step < 20; ++step) {
            grid.SetSettings(m_p, settings);
            if (fits()) break;
            settings.yMax *= 1.15;
            CGraphGrid::AutoScale(settings, m_p, false, false);
        }
        grid.SetSettings(m_p, settings);
    }
    const int barsWidth = n * (m + g) + g + 4;
    if (grid.PlotRect().left + barsWidth + 4 > settings.right) {
        // More bars than the window is wide: the grid runs along all of them.
        settings.right = grid.PlotRect().left + barsWidth + 4;
        grid.SetSettings(m_p, settings);
    }
    const CGraphGrid::TRect plot = grid.PlotRect();
    const int originX = plot.left;
    const int axisY = grid.MapY(0);
    const int barsRight = originX + barsWidth;
    result.diagramTitle = QRect(x + kMargin, y + kMargin, titleWidth, m_boldMetrics.height());
    result.unitLabel = QRect(originX - unitWidth / 2, plot.top - 4 - m_normalMetrics.height(), unitWidth,
                             m_normalMetrics.height());
    const QRect diagramRect(x, y, settings.right - x + kMargin, kDiagramHeight);
    const bool paint = !m_measure && m_visible.intersects(diagramRect);
    if (paint) {
        grid.Draw(m_p);
        m_p.setPen(QPen(text, 1));
        m_p.drawLine(originX, axisY, barsRight + 4, axisY);
        m_p.drawText(originX - unitWidth / 2,
                     plot.top - 4 - m_normalMetrics.descent(), unit);
        if (!IsNoValue(m_content.stats.MeanValue)) {
            const int meanY = grid.MapY(m_content.stats.MeanValue);
            m_p.drawLine(originX - 2, meanY, originX + 4, meanY);
        }
    }

    // "Conversion not possible" stands on a flat bar, from the axis up to the
    // top of the plot: where it is longer than the plot is high it is written
    // smaller, so that it neither crosses the titles nor leaves the page.
    QFont flatFont = labelFont;
    if (values) {
        const auto flat = std::find_if(bars.begin(), bars.end(),
                                       [&](int v) { return IsNoValue(m_summary.GetValue(0, v).Value); });
        if (flat != bars.end()) {
            const QString& flatText = (*valueTexts)[static_cast<std::size_t>(*flat)];
            int size = labelSize;
            while (size > 1 && QFontMetrics(WithPixelSize(m_fonts.large, size)).horizontalAdvance(flatText) >
                                   axisY - plot.top)
                --size;
            flatFont = WithPixelSize(m_fonts.large, size);
        }
    }
    const QFontMetrics flatMetrics(flatFont);
    const std::vector<QString>* shortNames = names ? &m_content.ShortNames() : nullptr;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const int v = bars[i];
        const TMeasConverted& value = m_summary.GetValue(0, v);
        const int left = originX + g + 4 + static_cast<int>(i) * (m + g);
        const bool convertible = !IsNoValue(value.Value);
        const int top = convertible ? std::max(plot.top, grid.MapY(value.Value)) : axisY;
        const std::size_t vi = static_cast<std::size_t>(v);
        const QFontMetrics& vm = convertible ? lm : flatMetrics;
        const int vw = values ? vm.horizontalAdvance((*valueTexts)[vi]) : 0;
        if (m_right)
            m_right->Add(QRect(left, top - 3 - vw, m, axisY - top + 3 + vw), 1, static_cast<int>(value.SeriesIndex),
                         0, m_content.names[vi]);
        const QRect column(left, y, m + g, kDiagramHeight);
        if (!paint || !m_visible.intersects(column)) continue;
        const bool median = m_content.median[vi];
        const QColor color =
            median ? CColorScheme::MedianBar() : (!value.Valid ? CColorScheme::OutlierBar() : CColorScheme::NormalBar());
        if (axisY > top) m_p.fillRect(QRect(left, top, m, axisY - top), color);
        // Text running upwards: its baseline is vertical, centred on the bar.
        const int baseX = left + m / 2 + (vm.ascent() - vm.descent()) / 2;
        m_p.setPen(text);
        if (values) {
            m_p.save();
            m_p.setFont(convertible ? labelFont : flatFont);
            m_p.translate(baseX, top - 3);
            m_p.rotate(-90);
            m_p.drawText(0, 0, (*valueTexts)[vi]);
            m_p.restore();
        }
        if (names) {
            const QString& name = (*shortNames)[vi];
            const int nw = nm.horizontalAdvance(name);
            m_p.save();
            m_p.setFont(m_fonts.normal);
            m_p.translate(left + m / 2 + (nm.ascent() - nm.descent()) / 2, axisY + 3 + nw);
            m_p.rotate(-90);
            m_p.drawText(0, 0, name);
            m_p.restore();
        }
    }
    m_p.restore();
    const int axisArea = originX - x;
    return QSize(std::max(titleWidth + 2 * kMargin, axisArea + 2 * kMargin + barsWidth + 4), kDiagramHeight);
}

// --- The page --------------------------------------------------------------------------------

CSummaryPainter::TResult CSummaryPainter::Draw(int clientWidth, int rememberedListHeight) {
    TResult result;
    if (m_content.Empty()) return result;
    result.drawn = true;
    const int n = static_cast<int>(m_content.valueTexts.size());

    const int W = clientWidth < 860 ? 800 : clientWidth - 60;

    const QFontMetrics largeMetrics(m_fonts.large);
    m_measure = false;
    if (m_visible.intersects(QRect(20, 20, W, largeMetrics.height()))) {
        m_p.setFont(m_fonts.large);
        m_p.setPen(CColorScheme::TableText());
        m_p.drawText(20, 20 + largeMetrics.ascent(), Get(59456));
    }
    const int y0 = 20 + static_cast<int>(1.4 * largeMetrics.height());

    m_measure = true;
    const QSize s = Statistics(0, 0);
    const QSize t = Settings(0, 0);
    m_measure = false;
    int listHeight = kListHeight;
    int listWidth = ValuesListWidth(listHeight);
    const bool stacked = W < s.width() + t.width() + listWidth;
    if (stacked) {
        listHeight = rememberedListHeight > 0 ? rememberedListHeight : s.height() + t.height();
        listWidth = ValuesListWidth(listHeight);
        if (W < s.width() + listWidth) {
            // The list grows in steps of 20 until it fits beside the
            // statistics. The width only shrinks as the list grows, so the
            // first step that fits is found by halving.
            const int oneColumn = 2 * kMargin + m_lineHeight + n * m_valueHeight;
            int lo = 1;
            int hi = std::max(1, (oneColumn - listHeight) / 20 + 1);
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                if (W < s.width() + ValuesListWidth(listHeight + 20 * mid))
                    lo = mid + 1;
                else
                    hi = mid;
            }
            listHeight += 20 * lo;
            listWidth = ValuesListWidth(listHeight);
        }
    }
    result.stacked = stacked;
    result.listHeight = listHeight;

    const QSize d = Diagram(10, y0, W, result);
    const int y1 = y0 + kDiagramHeight;
    ValuesList(10, y1, listHeight);
    const int sx = listWidth + 10;
    Statistics(sx, y1);
    int columnHeight = 0;
    if (stacked) {
        Settings(sx, y1 + s.height());
        columnHeight = s.height() + t.height();
    } else {
        Settings(sx + s.width(), y1);
        columnHeight = std::max(s.height(), t.height());
    }
    const QSize c = Comment(sx, y1 + columnHeight, std::max(0, W - listWidth));
    result.list = QRect(10, y1, listWidth, listHeight);
    result.statistics = QRect(QPoint(sx, y1), s);
    result.settings = QRect(stacked ? QPoint(sx, y1 + s.height()) : QPoint(sx + s.width(), y1), t);
    result.comment = QRect(QPoint(sx, y1 + columnHeight), c);
    const int below = std::max(listHeight, columnHeight + c.height());
    // The page's own rule leaves out the title above the diagram; with a short
    // list that would cut off the page's bottom, so the end of what is drawn
    // is the least.
    const int height = std::max(static_cast<int>((below + kDiagramHeight) * 1.1), y1 + below + kMargin);
    result.scrollSize = QSize(static_cast<int>(std::max(800, d.width()) * 1.1), height);
    return result;
}

// --- What the page shows -----------------------------------------------------------------------

CSummaryContent::CSummaryContent(CSummaryData& summary, std::uint32_t dtFormat, const CSummaryPainter::TFonts& fonts)
    : m_summary(summary),
      m_texts(dtFormat),
      m_dtFormat(dtFormat),
      m_revision(summary.Revision()),
      m_normalMetrics(fonts.normal) {
    if (summary.GetEntryCount() == 0 || summary.GetValueCount(0) == 0) return;
    stats = summary.CalcSummaryStatistics(0);
    statisticsTexts = m_texts.StatisticsTexts(summary, 0, stats);
    settings = m_texts.SettingsTexts(summary, 0);
    std::u16string title = summary.GetTitle(0);
    std::erase(title, u'\r');
    comment = title.empty() ? Get(59476) : ToQ(title);
    order = Report::CSummaryTexts::EffectiveDiagramOrder(summary, 0);
    orderLabel = ToQ(m_texts.OrderLabel(order));
    unit = ToQ(summary.GetUnitText(0));

    const std::size_t n = static_cast<std::size_t>(summary.GetValueCount(0));
    valueTexts.resize(n);
    valueWidths.resize(n);
    names.resize(n);
    median.assign(n, false);
    // Many series share a value's text: each text is measured once.
    QHash<QString, int> widths;
    for (std::size_t i = 0; i < n; ++i) {
        const int v = static_cast<int>(i);
        const TMeasConverted& value = summary.GetValue(0, v);
        valueTexts[i] = ToQ(m_texts.ValueListText(summary, 0, v));
        auto known = widths.constFind(valueTexts[i]);
        if (known == widths.constEnd()) known = widths.insert(valueTexts[i], m_normalMetrics.horizontalAdvance(valueTexts[i]));
        valueWidths[i] = *known;
        names[i] = ToQ(Report::CSummaryTexts::ShownName(value));
        if (!IsNoValue(value.Value)) largest = std::max(largest, static_cast<double>(value.Value));
    }
    for (int v : CSummaryPainter::MedianValues(summary)) median[static_cast<std::size_t>(v)] = true;
    bars = Report::CSummaryTexts::DiagramOrder(summary, 0, order);
}

const std::vector<QString>& CSummaryContent::DiagramTexts() const {
    if (m_diagramTexts.empty() && !valueTexts.empty()) {
        m_diagramTexts.resize(valueTexts.size());
        for (std::size_t i = 0; i < valueTexts.size(); ++i)
            m_diagramTexts[i] = ToQ(m_texts.DiagramValueText(m_summary, 0, static_cast<int>(i)));
    }
    return m_diagramTexts;
}

const std::vector<QString>& CSummaryContent::ShortNames() const {
    if (m_shortNames.empty() && !names.empty()) {
        m_shortNames.reserve(names.size());
        for (const QString& name : names) m_shortNames.push_back(CSummaryPainter::ShortName(name, m_normalMetrics));
    }
    return m_shortNames;
}

int CSummaryContent::WidestShortName() const {
    if (m_widestShortName < 0) {
        m_widestShortName = 0;
        for (const QString& name : ShortNames())
            m_widestShortName = std::max(m_widestShortName, m_normalMetrics.horizontalAdvance(name));
    }
    return m_widestShortName;
}
