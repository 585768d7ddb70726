#include "tools/curves/CurvePlot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "model/Conversion.h"
#include "tools/curves/CreateCurveDlg.h"
#include "tools/graph/GraphGrid.h"
#include "ui/UiText.h"

namespace {

const QColor kCurveColour(100, 100, 255);
const QColor kLabelColour(0, 111, 127);

QString UnitLabel(std::uint8_t unit) {
    return QLatin1Char('[') + UiText::ToQ(Model::GetUnitText(unit)) + QLatin1Char(']');
}

}  // namespace

CCurvePlot::CCurvePlot(CCreateCurveDlg& dialog, QWidget* parent) : QWidget(parent), m_dialog(dialog) {
    setObjectName(QStringLiteral("curvePlot"));
    setMouseTracking(true);
    setMinimumSize(360, 300);
}

QRect CCurvePlot::Draw(QPainter& p, const QRect& rect, const CCreateCurveDlg& dialog) {
    p.save();
    p.fillRect(rect, Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(rect.adjusted(0, 0, -1, -1));

    const Tools::TNewCurveInput curve = dialog.CurrentCurve();
    const int qMin = static_cast<int>(curve.qMin);
    const int qMax = static_cast<int>(curve.qMax);

    TGraphSettings s;
    s.SetOuterRect(rect.adjusted(14, 14 + 6, -(14 + 14), -14));
    s.xMin = 0;
    s.xMax = 100;
    s.yMin = 0;
    s.yMax = std::max(10.0, 1.06 * Tools::NewCurveValue(curve, qMax, 1.0));
    CGraphGrid::QuickScale(s);
    s.xMinorStep = s.xStep;
    s.yMinorStep = s.yStep;
    s.topFlags = TGraphSettings::kLine;
    s.rightFlags = TGraphSettings::kLine;
    s.bottomFlags = TGraphSettings::kLine | TGraphSettings::kMinorOuter | TGraphSettings::kLabels;
    s.leftFlags = TGraphSettings::kLine | TGraphSettings::kMinorOuter | TGraphSettings::kLabels;
    s.horizontalGrid = true;
    s.verticalGrid = true;

    CGraphGrid grid;
    grid.SetSettings(p, s);
    grid.Draw(p);
    const QRect plot = grid.PlotRect().ToQRect();

    // The curve, clipped to the plot: Q = minimum, minimum + 1, ... and the maximum.
    QPolygon line;
    for (int q = qMin; q < qMax; ++q) line << QPoint(grid.MapX(q), grid.MapY(Tools::NewCurveValue(curve, q, 1.0)));
    line << QPoint(grid.MapX(qMax), grid.MapY(Tools::NewCurveValue(curve, qMax, 1.0)));
    p.save();
    p.setClipRect(plot);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kCurveColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(line);
    p.restore();

    p.setPen(kLabelColour);
    const QFontMetrics plain(p.font());
    const QString q = QStringLiteral("[Q]");
    p.drawText(QPoint(plot.right() + 4, plot.bottom() + plain.ascent() / 2), q);

    QFont font = p.font();
    font.setUnderline(dialog.IsOverUnitLabel());
    p.setFont(font);
    const QString unit = UnitLabel(dialog.DisplayUnit());
    const int width = plain.horizontalAdvance(unit);
    const QRect label(plot.left() - width / 2, plot.top() - 2 - plain.height(), width, plain.height());
    p.drawText(label, Qt::AlignCenter, unit);
    p.restore();
    return label;
}

void CCurvePlot::paintEvent(QPaintEvent*) {
    m_dialog.TakeFieldsForPainting();
    QPainter p(this);
    p.setFont(font());
    m_dialog.SetUnitLabelRect(Draw(p, rect(), m_dialog));
}

void CCurvePlot::mouseMoveEvent(QMouseEvent* event) {
    m_dialog.SetOverUnitLabel(m_dialog.UnitLabelRect().contains(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void CCurvePlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dialog.UnitLabelRect().contains(event->position().toPoint())) {
        m_dialog.NextUnit();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CCurvePlot::leaveEvent(QEvent* event) {
    m_dialog.SetOverUnitLabel(false);
    QWidget::leaveEvent(event);
}
