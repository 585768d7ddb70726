#include "views/series/SeriesDetailPainter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>

#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "report/FieldText.h"
#include "tools/dialogs/SensitiveArea.h"
#include "tools/graph/GraphGrid.h"
#include "tools/graph/TextFlow.h"
#include "views/series/ColorScheme.h"
#include "views/series/SeriesText.h"

namespace {

using SeriesText::FormatText;
using SeriesText::Get;
using SeriesText::ToQ;

// The entries of the diagram: a reading, its measurement number and its flag.
struct TQValueAndIndex {
    double value = 0;  // half Q units, as stored
    int number = 0;    // 1-based
    int flagged = 0;
};

std::vector<TQValueAndIndex> SortedReadings(const CHammerData& data, int series) {
    std::vector<TQValueAndIndex> entries;
    const int n = data.GetReadingCount(series);
    entries.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        entries.push_back({static_cast<double>(data.GetReadingQHalf(series, i)), i + 1,
                           data.GetReadingFlag(series, i) ? 1 : 0});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TQValueAndIndex& a, const TQValueAndIndex& b) { return a.value < b.value; });
    return entries;
}

QString QText(float q) {
    return IsNoValue(q) ? QStringLiteral("--") : FormatText(u"%0.1f", q);
}

// The font for the bar values: the normal font shrunk until "55.5" fits a bar.
QFont LabelFont(const QFont& normal, int barWidth) {
    static std::map<int, QFont> cache;
    auto it = cache.find(barWidth);
    if (it != cache.end()) return it->second;
    QFont f = normal;
    int size = f.pixelSize() > 0 ? f.pixelSize() : QFontMetrics(f).height();
    while (size > 1 && QFontMetrics(f).horizontalAdvance(QStringLiteral("55.5")) > barWidth) {
        --size;
        f.setPixelSize(size);
    }
    cache[barWidth] = f;
    return f;
}

}  // namespace

// --- Fonts ---------------------------------------------------------------------------------

TDetailFonts::TDetailFonts(const QFont& base)
    : normal(base), underline(base), bold(base), boldUnderline(base), normalMetrics(base), boldMetrics(base) {
    underline.setUnderline(true);
    bold.setWeight(QFont::ExtraBold);
    boldUnderline.setWeight(QFont::ExtraBold);
    boldUnderline.setUnderline(true);
    boldMetrics = QFontMetrics(bold);
}

const TDetailFonts& TDetailFonts::Get(const QFont& base) {
    static const TDetailFonts fonts(base);
    return fonts;
}

int TDetailFonts::Width(const QString& text, bool bold) const {
    QHash<QString, int>& cache = m_widths[bold ? 1 : 0];
    auto it = cache.constFind(text);
    if (it != cache.constEnd()) return *it;
    // Names and comments vary without end: keep the cache bounded.
    if (cache.size() > 50000) cache.clear();
    const int w = (bold ? boldMetrics : normalMetrics).horizontalAdvance(text);
    cache.insert(text, w);
    return w;
}

const QString& TDetailFonts::HalfQ(std::uint8_t qHalf) const {
    QString& text = m_halfQ[qHalf];
    if (text.isEmpty()) text = ToQ(Report::HalfQText(qHalf));
    return text;
}

int TDetailFonts::HalfQWidth(std::uint8_t qHalf) const {
    int& w = m_halfQWidth[qHalf];
    if (w == 0) w = std::max(1, normalMetrics.horizontalAdvance(HalfQ(qHalf)));
    return w;
}

// --- Painter -------------------------------------------------------------------------------

CSeriesDetailPainter::CSeriesDetailPainter(QPainter* painter, const QFont& base, CHammerData& data,
                                           int series, const TStatistics& stats, int formatState, int hovered,
                                           CSensitiveArea* areas, std::vector<TDetailTip>* tips)
    : m_p(painter),
      m_fonts(TDetailFonts::Get(base)),
      m_data(data),
      m_series(series),
      m_stats(stats),
      m_formatState(formatState),
      m_hovered(hovered),
      m_areas(areas),
      m_tips(tips),
      m_lineHeight(static_cast<int>(m_fonts.boldMetrics.height() * 1.2)),
      m_valueHeight(m_fonts.normalMetrics.height()) {}

int CSeriesDetailPainter::DrawText(int x, int y, const QString& text, const QFont& font,
                                   const QColor& color) {
    const bool bold = font.weight() >= QFont::Bold;
    if (m_p) {
        m_p->setFont(font);
        m_p->setPen(color);
        m_p->drawText(x, y + (bold ? m_fonts.boldMetrics : m_fonts.normalMetrics).ascent(), text);
    }
    return TextWidth(text, bold);
}

int CSeriesDetailPainter::TextWidth(const QString& text, bool bold) const {
    return m_fonts.Width(text, bold);
}

int CSeriesDetailPainter::Title(int x, int y, unsigned id) {
    return DrawText(x + kMargin, y + kMargin, Get(id), m_fonts.bold, CColorScheme::TableText());
}

const QFont& CSeriesDetailPainter::LinkFont(int area) const {
    return m_hovered == area ? m_fonts.underline : m_fonts.normal;
}

// --- Statistics ------------------------------------------------------------------------------

CSeriesDetailPainter::TStatisticsTexts CSeriesDetailPainter::StatisticsTexts(const CHammerData& data,
                                                                             int series,
                                                                             const TStatistics& stats) {
    const std::uint8_t mode = data.GetAveragingMode(series);
    const int count = data.GetReadingCount(series);
    const int invalid = count - stats.ValidCount;
    const int p = data.GetDisplayDecimals(series);
    const std::u16string unit = data.GetUnitText(series);
    const bool unitIsQ = data.GetUnit(series) == kUnitQ;
    const bool outlierMode = mode == kModeMeanOutlier;
    const bool medianMode = mode == kModeMedianEN;

    TStatisticsTexts t;
    const unsigned labelIds[4] = {59405, outlierMode ? 59409u : 59408u, medianMode ? 59406u : 59407u, 59410};
    const unsigned symbolIds[4] = {59414, outlierMode ? 59418u : 59417u, medianMode ? 59415u : 59416u, 2044};
    for (int i = 0; i < 4; ++i) {
        t.labels[i] = Get(labelIds[i]);
        t.symbols[i] = Get(symbolIds[i]);
    }
    t.values[0] = FormatText(u"= %d", count);
    if (outlierMode)
        t.values[1] = FormatText(u"= %d", invalid);
    else
        t.values[1] = FormatText(u"= %d (%d%%)", invalid, count > 0 ? invalid * 100 / count : 0);

    QString mean;
    const bool convertible = !IsNoValue(stats.MeanQ) && !IsNoValue(stats.Converted);
    if (unitIsQ && convertible)
        mean = FormatText(u"%0.*f %s", p, stats.Converted, unit);
    else if (convertible)
        mean =
            FormatText(u"%0.*f %s (", p, stats.Converted, unit) + QText(stats.MeanQ) + QStringLiteral(" Q)");
    else
        mean = FormatText(u"-- %s (", unit) + QText(stats.MeanQ) + QStringLiteral(" Q)");
    if (stats.Invalid) mean = Get(59394) + QStringLiteral(" (") + mean + QStringLiteral(")");
    t.values[2] = QStringLiteral("= ") + mean;

    if (count < 2)
        t.values[3] = FormatText(u"= -- %s", unit);
    else if (unitIsQ && !IsNoValue(stats.ConvertedStdDev))
        t.values[3] = FormatText(u"= %0.*f %s", p, stats.ConvertedStdDev, unit);
    else if (!IsNoValue(stats.ConvertedStdDev))
        t.values[3] = FormatText(u"= %0.*f %s (", p, stats.ConvertedStdDev, unit) + QText(stats.StdDev) +
                      QStringLiteral(" Q)");
    else
        t.values[3] = FormatText(u"= -- %s (", unit) + QText(stats.StdDev) + QStringLiteral(" Q)");
    return t;
}

QSize CSeriesDetailPainter::Statistics(int x, int y) {
    const TStatisticsTexts t = StatisticsTexts(m_data, m_series, m_stats);
    const QString* labels = t.labels;
    const QString* symbols = t.symbols;
    const QString* values = t.values;
    const int titleWidth = Title(x, y, 59404);
    const int top = y + kMargin + m_lineHeight;
    const QColor text = CColorScheme::TableText();
    int column = x + kMargin;
    int right = column;
    const QString* columns[3] = {labels, symbols, values};
    for (const QString* texts : columns) {
        int widest = 0;
        for (int i = 0; i < 4; ++i)
            widest =
                std::max(widest, DrawText(column, top + i * m_lineHeight, texts[i], m_fonts.normal, text));
        right = column + widest;
        // Short symbols ("N", "s") would leave the values glued to them.
        column +=
            std::max(static_cast<int>(1.1 * widest), widest + m_fonts.normalMetrics.horizontalAdvance(u'n'));
    }
    const int width = std::max(titleWidth + 2 * kMargin, right - x + kMargin);
    return QSize(width, top + 4 * m_lineHeight - y + kMargin);
}

// --- Settings --------------------------------------------------------------------------------

QSize CSeriesDetailPainter::Settings(int x, int y) {
    const std::uint8_t mode = m_data.GetAveragingMode(m_series);
    const QString labels[7] = {Get(59420), Get(59421), Get(59422), Get(m_formatState == 1 ? 1609 : 59587),
                               Get(59424), Get(59451), Get(59537)};
    const QString values[7] = {ToQ(m_data.GetModeName(m_series)),
                               ToQ(m_data.GetCurveName(m_series)),
                               ToQ(m_data.GetFormText(m_series)),
                               ToQ(m_data.GetCarbonationText(m_series)),
                               ToQ(m_data.GetUnitText(m_series)),
                               ToQ(m_data.GetSerialNumber(m_series)),
                               Get(m_data.IsTypeN(m_series) ? 59536 : 59534)};
    const int areas[7] = {mode == kModeSingle ? kAreaNone : kAreaMode,
                          kAreaCurve,
                          kAreaForm,
                          kAreaCarbonation,
                          kAreaUnit,
                          kAreaNone,
                          kAreaNone};

    const int titleWidth = Title(x, y, 59419);
    const int top = y + kMargin + m_lineHeight;
    const int labelX = x + kMargin;
    int widestLabel = 0;
    for (int i = 0; i < 7; ++i)
        widestLabel = std::max(widestLabel, DrawText(labelX, top + i * m_lineHeight, labels[i],
                                                     m_fonts.normal, CColorScheme::TableText()));
    const int valueX = labelX + static_cast<int>(1.4 * widestLabel);
    int widestValue = 0;
    for (int i = 0; i < 7; ++i) {
        const int area = areas[i];
        const int vy = top + i * m_lineHeight;
        const int w = DrawText(valueX, vy, values[i], area ? LinkFont(area) : m_fonts.normal,
                               area ? CColorScheme::Link() : CColorScheme::TableText());
        if (area && m_areas) m_areas->Add(QRect(valueX, vy, w, m_valueHeight), 1, area);
        widestValue = std::max(widestValue, w);
    }
    const int width = std::max(titleWidth + 2 * kMargin, valueX + widestValue - x + kMargin);
    return QSize(width, top + 7 * m_lineHeight - y + kMargin);
}

// --- Comment ---------------------------------------------------------------------------------

QSize CSeriesDetailPainter::Comment(int x, int y, int width) {
    Title(x, y, 59443);
    const int top = y + kMargin + m_lineHeight;
    const int left = x + kMargin;
    const int right = x + std::max(width, 2 * kMargin + 1) - kMargin;
    const QFont& font = LinkFont(kAreaComment);
    const QColor link = CColorScheme::Link();

    std::u16string comment = m_data.GetComment(m_series);
    std::erase(comment, u'\r');
    const QString text = comment.empty() ? Get(59476) : ToQ(comment);

    const int lastLine = TextFlow::Flow(
        text, left, right, top, m_lineHeight, [&](const QString& piece) { return TextWidth(piece, false); },
        [&](const QString& piece, const QPoint& at) {
            const int w = DrawText(at.x(), at.y(), piece, font, link);
            if (m_areas) m_areas->Add(QRect(at.x(), at.y(), w, m_valueHeight), 1, kAreaComment);
            return w;
        });
    return QSize(width, lastLine + m_lineHeight - y + kMargin);
}

// --- Q-values list ---------------------------------------------------------------------------

QSize CSeriesDetailPainter::ValuesList(int x, int y, int height) {
    const int titleWidth = Title(x, y, 59397);
    const int top = y + kMargin + m_lineHeight;
    const int bottom = y + height - kMargin;
    const int n = m_data.GetReadingCount(m_series);
    int columnX = x + kMargin;
    int widest = 0;
    int vy = top;
    for (int i = 0; i < n; ++i) {
        if (vy + m_valueHeight > bottom && vy > top) {
            columnX += static_cast<int>(1.8 * widest);
            widest = 0;
            vy = top;
        }
        const std::uint8_t qHalf = m_data.GetReadingQHalf(m_series, i);
        const int w = m_fonts.HalfQWidth(qHalf);
        if (m_p) DrawText(columnX, vy, m_fonts.HalfQ(qHalf), m_fonts.normal, CColorScheme::TableText());
        if (m_p && m_data.GetReadingFlag(m_series, i)) {
            // Left out by the averaging: struck through.
            m_p->setPen(QPen(Qt::black, 1));
            const int mid = vy + m_valueHeight / 2;
            m_p->drawLine(columnX - 2, mid, columnX + w, mid);
        }
        widest = std::max(widest, w);
        vy += m_valueHeight;
    }
    const int width = std::max(titleWidth + 2 * kMargin, columnX + widest - x + kMargin);
    return QSize(width, height);
}

// --- Diagram ---------------------------------------------------------------------------------

int CSeriesDetailPainter::EffectiveOrder(const CHammerData& data, int series) {
    const std::int16_t order = data.GetDiagramOrder(series);
    if (order == -1) {
        const std::uint8_t mode = data.GetAveragingMode(series);
        return mode == kModeMedianEN || mode == kModeMedianOnly ? 1 : 0;
    }
    return order == 1 ? 1 : 0;
}

std::vector<int> CSeriesDetailPainter::MedianNumbers(const CHammerData& data, int series) {
    const std::uint8_t mode = data.GetAveragingMode(series);
    if (mode != kModeMedianEN && mode != kModeMedianOnly) return {};
    const std::vector<TQValueAndIndex> sorted = SortedReadings(data, series);
    int low = 0;
    int high = static_cast<int>(sorted.size());
    if (mode == kModeMedianOnly) {
        low = data.GetLowerOutliers(series);
        high -= data.GetUpperOutliers(series);
    }
    const int m = high - low;
    if (m <= 0) return {};
    std::vector<int> numbers;
    if (m % 2 == 1) {
        numbers.push_back(sorted[static_cast<std::size_t>(low + m / 2)].number);
    } else {
        numbers.push_back(sorted[static_cast<std::size_t>(low + m / 2 - 1)].number);
        numbers.push_back(sorted[static_cast<std::size_t>(low + m / 2)].number);
    }
    return numbers;
}

void CSeriesDetailPainter::BarGeometry(int n, int width, int* barWidth, int* gap) {
    const int available = width - 2 * kMargin - 30;
    for (int m = 24; m >= 0; --m) {
        const int g = m == 24 ? 2 : 1;
        if (n * m + (n + 2) * g <= available) {
            *barWidth = m;
            *gap = g;
            return;
        }
    }
    *barWidth = 0;
    *gap = 1;
}

QSize CSeriesDetailPainter::Diagram(int x, int y, int width, int height) {
    if (!m_p) return QSize(width, height);  // nothing in it decides a height
    const int n = m_data.GetReadingCount(m_series);
    const int order = EffectiveOrder(m_data, m_series);

    const QString title = Get(59447) + QLatin1Char(' ');
    int titleWidth = DrawText(x + kMargin, y + kMargin, title, m_fonts.bold, CColorScheme::TableText());
    if (n > 1) {
        const QString sw = Get(order == 1 ? 59448 : 59449);
        const int sx = x + kMargin + titleWidth;
        const int w =
            DrawText(sx, y + kMargin, sw, m_hovered == kAreaOrder ? m_fonts.boldUnderline : m_fonts.bold,
                     CColorScheme::Link());
        if (m_areas) m_areas->Add(QRect(sx, y + kMargin, w, m_fonts.boldMetrics.height()), 1, kAreaOrder);
        titleWidth += w;
    }

    int m = 0;
    int g = 1;
    BarGeometry(n, width, &m, &g);
    const QFont labelFont = LabelFont(m_fonts.normal, m);
    const QFontMetrics labelMetrics(labelFont);

    // The axes, with room above for the values over the bars and below for
    // the measurement numbers.
    TGraphSettings settings = TGraphSettings::BarDiagram(n, 90);
    settings.left = x + kMargin;
    settings.top = y + kMargin + m_lineHeight + labelMetrics.height() + 3;
    settings.right = x + width - kMargin;
    settings.bottom = y + height - kMargin - m_valueHeight - 3;
    m_p->save();
    m_p->setFont(m_fonts.normal);
    m_p->setPen(QPen(CColorScheme::TableText(), 1));
    CGraphGrid::AutoScale(settings, *m_p, false, false);
    CGraphGrid grid;
    grid.SetSettings(*m_p, settings);
    grid.Draw(*m_p);
    const CGraphGrid::TRect plot = grid.PlotRect();
    const int originX = plot.left;
    const int axisY = grid.MapY(0);
    const int barsRight = originX + 4 + n * (m + g);
    m_p->setPen(QPen(CColorScheme::TableText(), 1));
    m_p->drawLine(originX, axisY, barsRight + 4, axisY);
    if (!IsNoValue(m_stats.MeanQ)) {
        const int meanY = grid.MapY(m_stats.MeanQ);
        m_p->drawLine(originX - 2, meanY, originX + 4, meanY);
    }

    // Bars in value order or in measurement order.
    std::vector<TQValueAndIndex> bars = SortedReadings(m_data, m_series);
    if (order == 0)
        std::sort(bars.begin(), bars.end(),
                  [](const TQValueAndIndex& a, const TQValueAndIndex& b) { return a.number < b.number; });
    const std::vector<int> medians = MedianNumbers(m_data, m_series);
    int numberStep = 1;
    if (order == 0) {
        const int numberWidth = m_fonts.normalMetrics.horizontalAdvance(QString::number(n - 1));
        numberStep = 1 + static_cast<int>(1.3 * numberWidth) / std::max(1, m + g);
    }
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const TQValueAndIndex& b = bars[i];
        const double q = b.value * 0.5;
        const int left = originX + g + 4 + static_cast<int>(i) * (m + g);
        const int top = std::max(plot.top, grid.MapY(q));
        const bool median = std::find(medians.begin(), medians.end(), b.number) != medians.end();
        const QColor color = median ? CColorScheme::MedianBar()
                                    : (b.flagged ? CColorScheme::OutlierBar() : CColorScheme::NormalBar());
        const QRect bar(left, top, m, axisY - top);
        if (m > 0 && bar.height() > 0) m_p->fillRect(bar, color);
        if (m_tips)
            m_tips->push_back({QRect(left, top, std::max(m, 1), std::max(axisY - top, 1)),
                               FormatText(SeriesText::Load(59444), b.number),
                               FormatText(SeriesText::Load(59445), q)});
        m_p->setFont(labelFont);
        m_p->setPen(CColorScheme::TableText());
        const QString value = FormatText(u"%0.1f", q);
        const int vw = labelMetrics.horizontalAdvance(value);
        m_p->drawText(left + m / 2 - vw / 2, top - 3 - labelMetrics.descent(), value);
        if (order == 0 && b.number % numberStep == 0) {
            m_p->setFont(m_fonts.normal);
            const QString number = QString::number(b.number);
            const int nw = m_fonts.normalMetrics.horizontalAdvance(number);
            m_p->drawText(left + m / 2 - nw / 2, axisY + 3 + m_fonts.normalMetrics.ascent(), number);
        }
    }
    m_p->restore();
    const int axisArea = originX - x;
    return QSize(std::max(titleWidth + 2 * kMargin, axisArea + kMargin + (barsRight - originX) + 4), height);
}

// --- Layout ----------------------------------------------------------------------------------

int CSeriesDetailPainter::Layout(int cellWidth) {
    const int w = std::max(cellWidth, kMinimumWidth);
    const int n = m_data.GetReadingCount(m_series);
    // Measuring runs the blocks without a painter and without collecting areas.
    auto measure = [&](auto block) {
        QPainter* p = m_p;
        CSensitiveArea* areas = m_areas;
        std::vector<TDetailTip>* tips = m_tips;
        m_p = nullptr;
        m_areas = nullptr;
        m_tips = nullptr;
        const QSize size = block();
        m_p = p;
        m_areas = areas;
        m_tips = tips;
        return size;
    };
    const int h = kDiagramHeight;

    // The settings may be wider than the statistics (long values, longer
    // languages): a column of both is as wide as the wider, or the values at
    // its right end are cut at the cell's edge.
    const QSize s = measure([&] { return Statistics(0, 0); });
    const QSize t = measure([&] { return Settings(0, 0); });
    const int column = std::max(s.width(), t.width());
    if (n <= 25) {
        const QSize l = measure([&] { return ValuesList(0, 0, h); });
        const int dw = std::max(0, w - l.width() - column);
        Diagram(0, 0, dw, h);
        ValuesList(dw, 0, h);
        const int sx = dw + l.width();
        Statistics(sx, 0);
        Settings(sx, s.height());
        const QSize c = Comment(sx, s.height() + t.height(), w - dw - l.width());
        return std::max(h, s.height() + t.height() + c.height());
    }
    if (n <= 50) {
        const QSize l = measure([&] { return ValuesList(0, 0, h); });
        const int dw = std::max(0, w - l.width());
        Diagram(0, 0, dw, h);
        ValuesList(dw, 0, h);
        Statistics(0, h);
        // The comment needs room for its title and a few words beside them.
        const int commentWidth = std::max(TextWidth(Get(59443), true) + 2 * kMargin, 150);
        if (s.width() + t.width() + commentWidth <= w) {
            Settings(s.width(), h);
            const QSize c = Comment(s.width() + t.width(), h, std::max(0, w - s.width() - t.width()));
            return h + std::max({s.height(), t.height(), c.height()});
        }
        // Not side by side in this width: the settings below the statistics.
        Settings(0, h + s.height());
        const QSize c = Comment(column, h, std::max(0, w - column));
        return h + std::max(s.height() + t.height(), c.height());
    }

    int listHeight = 210;
    QSize l = measure([&] { return ValuesList(0, 0, listHeight); });
    const bool stacked = l.width() + s.width() + t.width() > w;
    if (stacked) {
        listHeight = s.height() + t.height();
        l = measure([&] { return ValuesList(0, 0, listHeight); });
        // A taller list has fewer columns; one column is as narrow as it gets.
        const int oneColumn = 2 * kMargin + m_lineHeight + n * m_valueHeight;
        while (l.width() + column > w && listHeight < oneColumn) {
            listHeight += 20;
            l = measure([&] { return ValuesList(0, 0, listHeight); });
        }
    }
    Diagram(0, 0, w, h);
    ValuesList(0, h, listHeight);
    Statistics(l.width(), h);
    int columnHeight = 0;
    if (stacked) {
        Settings(l.width(), h + s.height());
        columnHeight = s.height() + t.height();
    } else {
        Settings(l.width() + s.width(), h);
        columnHeight = std::max(s.height(), t.height());
    }
    const QSize c = Comment(l.width(), h + columnHeight, std::max(0, w - l.width()));
    return h + std::max(listHeight, columnHeight + c.height());
}
