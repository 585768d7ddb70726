#pragma once
// The plot of the create-curve dialog: the curve over Q from 0 to 100 on the
// diagram axes, "[Q]" at the end of the x axis and the unit label at the top
// of the y axis, which switches the unit the coefficients are entered in.
#include <QWidget>

class CCreateCurveDlg;
class QPainter;

class CCurvePlot : public QWidget {
    Q_OBJECT
  public:
    explicit CCurvePlot(CCreateCurveDlg& dialog, QWidget* parent = nullptr);

    // Draws the plot into `rect` of `painter` (the frame, the diagram, the curve
    // and the two labels); returns where the unit label went.
    static QRect Draw(QPainter& painter, const QRect& rect, const CCreateCurveDlg& dialog);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    CCreateCurveDlg& m_dialog;
};
