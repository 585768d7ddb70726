#pragma once
// A cell with a horizontal bar whose length shows a value on a scale, the text
// over it, and up to two vertical markers.
#include "ui/grid/GridCell.h"

class CGridCellBar : public CGridCell {
  public:
    EKind Kind() const override { return kBar; }

    void SetRange(double minimum, double maximum) {
        m_minimum = minimum;
        m_maximum = maximum;
    }
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }
    void SetValue(double value) { m_value = value; }
    double Value() const { return m_value; }
    void SetBarColors(const QColor& normal, const QColor& selected) {
        m_barColor = normal;
        m_barColorSelected = selected;
    }
    QColor BarColor() const { return m_barColor; }
    QColor BarColorSelected() const { return m_barColorSelected; }
    // Marker 0 or 1: position on the bar's scale and whether it is drawn.
    void SetMarker(int marker, double position, bool shown);

    // The bar's length in a cell `cellWidth` wide.
    int BarWidth(int cellWidth) const;

    void Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) override;

  private:
    double m_minimum = 0;
    double m_maximum = 100;
    double m_value = 50;
    QColor m_barColor = QColor(70, 70, 255);
    QColor m_barColorSelected = QColor(30, 30, 100);
    double m_markers[2] = {10, 90};
    bool m_markerShown[2] = {false, false};
};
