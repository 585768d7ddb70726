#pragma once
// A cell filled with a gradient between its four corner colours: one plain
// colour when all four agree, left to right or top to bottom when the sides
// agree, else a gradient over two triangles.
#include "ui/grid/GridCell.h"

class CGridCellGradient : public CGridCell {
  public:
    EKind Kind() const override { return kGradient; }

    void SetCorners(const QColor& topLeft, const QColor& topRight, const QColor& bottomLeft,
                    const QColor& bottomRight);
    QColor TopLeft() const { return m_topLeft; }
    QColor TopRight() const { return m_topRight; }
    QColor BottomLeft() const { return m_bottomLeft; }
    QColor BottomRight() const { return m_bottomRight; }

    enum EFill { kPlain, kLeftToRight, kTopToBottom, kFourCorners };
    EFill FillKind() const;

    void Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) override;

  protected:
    // The gradient alone; returns the text colour that suits it.
    QColor DrawGradient(QPainter& painter, const QRect& rect, const TCellDrawState& state) const;

  private:
    QColor m_topLeft = QColor(255, 0, 0);
    QColor m_topRight = QColor(0, 255, 0);
    QColor m_bottomLeft = QColor(255, 0, 0);
    QColor m_bottomRight = QColor(0, 255, 0);
};
