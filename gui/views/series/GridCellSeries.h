#pragma once
// The detail area of an expanded series: one cell over columns 1 to the last
// of the series' detail row. It draws the diagram, the Q values, the
// statistics, the settings and the comment (CSeriesDetailPainter), keeps the
// clickable parts and tooltips of its last drawing, and moves the height of its
// row when the series is expanded or collapsed.
#include <vector>

#include "model/Statistics.h"
#include "tools/dialogs/SensitiveArea.h"
#include "ui/grid/GridCell.h"
#include "views/series/SeriesDetailPainter.h"

class CHammerData;
namespace Report {
class CSeriesTable;
}

// What a detail cell needs of the table it lives in.
class ISeriesCellHost {
  public:
    virtual ~ISeriesCellHost() = default;
    virtual CHammerData& Data() = 0;
    // The series' statistics, computed once per change of the series.
    virtual const TStatistics& Statistics(int series) = 0;
    virtual int FormatState() const = 0;
    virtual const Report::CSeriesTable& Table() const = 0;
    virtual QFont DetailFont() const = 0;
    // The detail row of the series is to be `height` pixels high.
    virtual void SetDetailHeight(int series, int height) = 0;
    // A cell wants another step of its height animation.
    virtual void AnimationWanted(int series) = 0;
};

class CGridCellSeries : public CGridCell {
  public:
    static constexpr int kAnimationStep = 15;
    static constexpr int kSettleStep = 3;

    EKind Kind() const override { return kCustom; }

    // Done by the table for the first cell of a detail row; the other cells of
    // the row stay unbound and export nothing.
    void Bind(ISeriesCellHost* host, int series);
    bool IsBound() const { return m_host != nullptr; }
    int Series() const { return m_series; }

    // Immediate: the row takes its final height at once (rebuilds, Expand
    // all); otherwise it grows or shrinks in steps. `width` is the cell's
    // width, which decides how the blocks are laid out.
    // `knownHeight`, when not negative, is the height the content was measured
    // to need at this width before (the table keeps it across a re-sort).
    void Expand(bool immediate, int width, int knownHeight = -1);
    void Collapse(bool immediate);
    bool IsExpanded() const { return m_expanded; }
    bool IsExpanding() const { return m_expanding; }
    bool IsCollapsing() const { return m_collapsing; }
    bool IsAnimating() const { return m_expanding || m_collapsing; }
    // Whether a step would change the height.
    bool WantsStep() const;
    // One step of the animation (or of settling towards the required height);
    // true while more steps are due.
    bool Step();

    int Height() const { return m_height; }
    int RequiredHeight() const { return m_required; }
    // The height the content needs at `width`, without drawing.
    int Measure(int width) const;

    void Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) override;
    QString ExportText() const override;
    int ContentWidth(const QFontMetrics&) const override { return 0; }

    // Hover and clicks over the clickable parts.
    bool OnMouseMove(const QPoint& local) override;
    bool OnMouseLeave() override;
    Qt::CursorShape Cursor() const override { return m_hovered ? Qt::PointingHandCursor : Qt::ArrowCursor; }
    bool OnClick(const QPoint& local) override;
    TGridTooltip TooltipAt(const QPoint& local) const override;

    int HoveredArea() const { return m_hovered; }
    void SetHoveredArea(int area) { m_hovered = area; }
    // The part the last click hit: its id, its rectangle and the click point
    // (relative to the cell).
    int ClickedArea() const { return m_clicked.id; }
    QRect ClickedRect() const { return m_clicked.rect; }
    QPoint ClickedPoint() const { return m_clickPoint; }

    const CSensitiveArea& Areas() const { return m_areas; }
    const std::vector<TDetailTip>& Tips() const { return m_tips; }

  private:
    void SetHeight(int height);

    ISeriesCellHost* m_host = nullptr;
    int m_series = -1;
    int m_height = 0;
    int m_required = 0;
    bool m_expanding = false;
    bool m_collapsing = false;
    bool m_expanded = false;
    int m_hovered = 0;
    CSensitiveArea m_areas;
    std::vector<TDetailTip> m_tips;
    CSensitiveArea::TEntry m_clicked;
    QPoint m_clickPoint;
};
