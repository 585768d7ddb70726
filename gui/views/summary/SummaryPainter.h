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
#include <vector>

#include "model/VantrelObjectSummary.h"

class CSummaryData;
class CSensitiveArea;
class QPainter;
namespace Report {
class CSummaryTexts;
}

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
    };

    // `left` and `right` receive the clickable items and the bars (may be
    // null). Only what meets `visible` is painted; the layout is all of it.
    CSummaryPainter(QPainter& painter, const TFonts& fonts, CSummaryData& summary,
                    const Report::CSummaryTexts& texts, int hovered, CSensitiveArea* left, CSensitiveArea* right,
                    const QRect& visible);

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
    CSummaryData& m_summary;
    const Report::CSummaryTexts& m_texts;
    int m_hovered;
    CSensitiveArea* m_left;
    CSensitiveArea* m_right;
    QRect m_visible;
    bool m_measure = false;
    QFontMetrics m_normalMetrics;
    QFontMetrics m_boldMetrics;
    int m_lineHeight;
    int m_valueHeight;
    TSummaryStatistics m_stats;
    std::vector<QString> m_valueTexts;
    std::vector<int> m_valueWidths;
};
