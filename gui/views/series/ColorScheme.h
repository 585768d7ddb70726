#pragma once
// The fixed colours of the series table, its detail cells and the summary.
#include <QColor>

class CColorScheme {
  public:
    static QColor NormalBar() { return QColor(0, 160, 191); }         // bars, valid mean bars
    static QColor ValidBarSelected() { return QColor(0, 120, 151); }  // a valid mean bar while selected
    static QColor OutlierBar() { return QColor(0, 71, 79); }          // outliers, invalid mean bars
    static QColor InvalidBarSelected() { return QColor(0, 41, 49); }  // an invalid mean bar while selected
    static QColor Link() { return QColor(0, 111, 127); }              // clickable texts
    static QColor MedianBar() { return QColor(0, 111, 127); }
    static QColor RowDark() { return QColor(191, 219, 227); }   // gripper, top of the detail gradient
    static QColor RowLight() { return QColor(242, 245, 253); }  // cell background, bottom of the gradient
    static QColor TableText() { return QColor(34, 36, 76); }

    // White minus the colour: text drawn over a bar.
    static QColor Inverse(const QColor& c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); }
};
