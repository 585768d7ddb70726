#pragma once
// Draws the summary page: the title, the bar diagram, the list of values, the
// statistics, the settings and the comment. One function for the screen, the
// printer and pictures; it lays out in pixels of a 96-dpi screen, and a printer
// or picture scales the painter instead.
#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

#include "model/SummaryData.h"
#include "model/VantrelObjectSummary.h"
#include "report/SummaryTexts.h"

class CSensitiveArea;
class CSummaryContent;
class QPainter;

class CSummaryPainter {
  public:
    // Left-click items.
    enum EItem { kItemNone = 0, kItemOrder = 1, kItemComment = 2, kItemAveraging = 3 };
    static constexpr int kMargin = 10;
    static constexpr int kDiagramHeight = 280;
    static constexpr int kListHeight = 190;

    struct TFonts {
        QFont normal;
        QFont underline;
        QFont bold;
        QFont boldUnderline;
        QFont large;  // the title's; rotated, the bars' labels
        explicit TFonts(const QFont& base);
    };

    // What a draw found out: the scroll size and, when stacked, the list height.
    struct TResult {
        QSize scrollSize;
        int listHeight = 0;
        bool stacked = false;
        bool drawn = false;
        int barWidth = 0;
        int barGap = 0;
        int labelPixelSize = 0;
        bool valuesShown = false;
        bool namesShown = false;
        // The diagram's title line and the unit above its plot.
        QRect diagramTitle;
        QRect unitLabel;
        // Where the blocks below the diagram went.
        QRect list;
        QRect statistics;
        QRect settings;
        QRect comment;
    };

    // `left` and `right` receive the clickable items and the bars (may be
    // null). Only what meets `visible` is painted; the layout is all of it.
    CSummaryPainter(QPainter& painter, const TFonts& fonts, const CSummaryContent& content, int hovered,
                    CSensitiveArea* left, CSensitiveArea* right, const QRect& visible);

    // `clientWidth` is the window's width; `rememberedListHeight` (0 = none)
    // is what the screen kept from the last stacked draw.
    TResult Draw(int clientWidth, int rememberedListHeight);

    // Bar width m and gap g for n bars in a diagram `width` wide.
    static void BarGeometry(int n, int width, int* barWidth, int* gap);
    // The label font's pixel size for bars m wide: shrunk from the large
    // font's while the rotated "55.5555555555" is thicker than m + 4.
    static int LabelPixelSize(const TFonts& fonts, int barWidth);
    // Values of the entry that are the median (one or two; none in mean mode).
    static std::vector<int> MedianValues(const CSummaryData& summary);
    // The name below a bar, at most 80 pixels wide in `metrics`.
    static QString ShortName(const QString& name, const QFontMetrics& metrics);

  private:
    int DrawText(int x, int y, const QString& text, const QFont& font, const QColor& color);
    // The same for a text whose width is known.
    int DrawText(int x, int y, const QString& text, const QFont& font, const QColor& color, int width);
    int Width(const QString& text, const QFont& font) const;
    int Title(int x, int y, unsigned id);
    QSize Statistics(int x, int y);
    QSize Settings(int x, int y);
    QSize Comment(int x, int y, int width);
    QSize ValuesList(int x, int y, int height);
    int ValuesListWidth(int height) const;
    QSize Diagram(int x, int y, int width, TResult& result);

    QPainter& m_p;
    const TFonts& m_fonts;
    const CSummaryContent& m_content;
    const CSummaryData& m_summary;
    int m_hovered;
    CSensitiveArea* m_left;
    CSensitiveArea* m_right;
    QRect m_visible;
    bool m_measure = false;
    QFontMetrics m_normalMetrics;
    QFontMetrics m_boldMetrics;
    int m_lineHeight;
    int m_valueHeight;
};

// What the page shows of a summary, worked out once for each revision of it:
// the statistics, the texts and their widths, the diagram's order. A hover, a
// scroll or another window width only lays these out again. The texts above
// and below the bars are worked out when a layout first has room for them.
class CSummaryContent {
  public:
    // Computes the statistics of the first entry, which rewrites its value flags.
    CSummaryContent(CSummaryData& summary, std::uint32_t dtFormat, const CSummaryPainter::TFonts& fonts);

    // Whether this was worked out from the summary as it is now, for these texts.
    bool IsFor(const CSummaryData& summary, std::uint32_t dtFormat) const {
        return &summary == &m_summary && summary.Revision() == m_revision && dtFormat == m_dtFormat;
    }
    const CSummaryData& Summary() const { return m_summary; }
    bool Empty() const { return valueTexts.empty(); }

    TSummaryStatistics stats;
    Report::TSummaryStatisticsTexts statisticsTexts;
    std::vector<Report::TLabelValue> settings;
    QString comment;      // without carriage returns; the "[Add]" text when none
    int order = 0;        // the diagram's order
    QString orderLabel;
    QString unit;
    double largest = 0;   // the largest convertible value
    // By value index: the list's texts, their widths, and the names bars go by.
    std::vector<QString> valueTexts;
    std::vector<int> valueWidths;
    std::vector<QString> names;
    std::vector<bool> median;
    // Value indices in the diagram's order.
    std::vector<int> bars;

    // By value index: the texts above the bars.
    const std::vector<QString>& DiagramTexts() const;
    // By value index: the names below the bars, shortened to 80 pixels of
    // the normal font, and the widest of them.
    const std::vector<QString>& ShortNames() const;
    int WidestShortName() const;

  private:
    const CSummaryData& m_summary;
    Report::CSummaryTexts m_texts;
    std::uint32_t m_dtFormat;
    std::uint64_t m_revision;
    QFontMetrics m_normalMetrics;
    mutable std::vector<QString> m_diagramTexts;
    mutable std::vector<QString> m_shortNames;
    mutable int m_widestShortName = -1;
};
