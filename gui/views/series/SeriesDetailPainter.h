#pragma once
// Lays out and draws the five blocks of an expanded series: the Q-values
// diagram, the list of Q values, the statistics, the settings and the comment.
// Without a painter it only measures, which is how a row learns its height
// before it is ever shown.
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "model/Statistics.h"

class CHammerData;
class CSensitiveArea;
class QPainter;

// The fonts of every detail cell, made once from the first font they are asked for.
struct TDetailFonts {
    QFont normal;
    QFont underline;
    QFont bold;           // weight 800
    QFont boldUnderline;  // weight 800
    QFontMetrics normalMetrics;
    QFontMetrics boldMetrics;

    static const TDetailFonts& Get(const QFont& base);

    // Text widths, remembered: every row measures the same labels and values.
    int Width(const QString& text, bool bold) const;
    // A reading's text ("%0.1f" of half Q units) and its width in the normal font.
    const QString& HalfQ(std::uint8_t qHalf) const;
    int HalfQWidth(std::uint8_t qHalf) const;

  private:
    explicit TDetailFonts(const QFont& base);

    mutable QHash<QString, int> m_widths[2];
    mutable std::array<QString, 256> m_halfQ;
    mutable std::array<int, 256> m_halfQWidth{};
};

// A tooltip over a part of the cell (the diagram's bars).
struct TDetailTip {
    QRect rect;
    QString title;
    QString body;
};

class CSeriesDetailPainter {
  public:
    // Clickable parts of the cell.
    enum EArea {
        kAreaNone = 0,
        kAreaOrder = 1,    // the diagram's order switch
        kAreaComment = 2,  // a word of the comment, or "[Add]"
        kAreaMode = 3,
        kAreaCurve = 4,
        kAreaForm = 5,
        kAreaCarbonation = 6,
        kAreaUnit = 7,
    };
    static constexpr int kMargin = 10;
    static constexpr int kMinimumWidth = 800;
    static constexpr int kDiagramHeight = 300;

    // `painter` null: measure only. `areas` and `tips` receive the clickable
    // parts and the tooltips of what is drawn (may be null).
    CSeriesDetailPainter(QPainter* painter, const QFont& base, CHammerData& data, int series,
                         const TStatistics& stats, int formatState, int hovered, CSensitiveArea* areas,
                         std::vector<TDetailTip>* tips);

    // All five blocks in the layout for the series' reading count, in a cell
    // `width` wide (at least 800 is laid out); returns the height they need.
    int Layout(int width);
    // The required row height: the layout's height times 1.07.
    static int RequiredHeight(int layoutHeight) { return static_cast<int>(layoutHeight * 1.07); }

    // The blocks, each at (x, y) relative to the cell; sizes include the margins.
    QSize Statistics(int x, int y);
    QSize Settings(int x, int y);
    QSize Comment(int x, int y, int width);
    QSize ValuesList(int x, int y, int height);
    QSize Diagram(int x, int y, int width, int height);

    // The statistics block's three columns of four lines.
    struct TStatisticsTexts {
        QString labels[4];
        QString symbols[4];
        QString values[4];
    };
    static TStatisticsTexts StatisticsTexts(const CHammerData& data, int series, const TStatistics& stats);

    // The diagram's order: 1 by value, 0 in measurement order (a series never
    // shown before opens by value when it is a median series).
    static int EffectiveOrder(const CHammerData& data, int series);
    // Measurement numbers (1-based) of the median bars; empty for modes
    // without a median.
    static std::vector<int> MedianNumbers(const CHammerData& data, int series);
    // Bar width and gap for n bars in a diagram `width` wide.
    static void BarGeometry(int n, int width, int* barWidth, int* gap);

    int LineHeight() const { return m_lineHeight; }

  private:
    int DrawText(int x, int y, const QString& text, const QFont& font, const QColor& color);
    int TextWidth(const QString& text, bool bold) const;
    int Title(int x, int y, unsigned id);
    const QFont& LinkFont(int area) const;

    QPainter* m_p;
    const TDetailFonts& m_fonts;
    CHammerData& m_data;
    int m_series;
    const TStatistics& m_stats;
    int m_formatState;
    int m_hovered;
    CSensitiveArea* m_areas;
    std::vector<TDetailTip>* m_tips;
    int m_lineHeight;
    int m_valueHeight;
};
