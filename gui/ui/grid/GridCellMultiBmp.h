#pragma once
// A gradient cell that shows small pictures in pairs at fixed places: of each
// pair exactly one is visible, and a click on it shows the other one.
#include <QPixmap>
#include <vector>

#include "ui/grid/GridCellGradient.h"

class CGridCellMultiBmp : public CGridCellGradient {
  public:
    EKind Kind() const override { return kMultiBmp; }

    // Adds a pair of pictures drawn at `position` (from the cell's top-left
    // corner); the first one starts visible. Returns the pair's number.
    int AddPair(const QPixmap& first, const QPixmap& second, const QPoint& position);
    // Which picture of the pair is visible: 0 the first, 1 the second.
    int Shown(int pair) const;
    void SetShown(int pair, int which);
    int PairCount() const { return static_cast<int>(m_pairs.size()); }
    // The pair whose visible picture holds the point, or -1.
    int PairAt(const QPoint& local) const;
    // The pair the last click toggled, or -1.
    int LastClickedPair() const { return m_lastClicked; }

    bool OnClick(const QPoint& local) override;
    Qt::CursorShape Cursor() const override {
        return m_hoverPair >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor;
    }
    bool OnMouseMove(const QPoint& local) override;
    bool OnMouseLeave() override;
    void Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) override;
    int ContentWidth(const QFontMetrics& metrics) const override;

  private:
    struct TPair {
        QPixmap pictures[2];
        QPoint position;
        int shown = 0;
    };
    std::vector<TPair> m_pairs;
    int m_lastClicked = -1;
    int m_hoverPair = -1;
};
