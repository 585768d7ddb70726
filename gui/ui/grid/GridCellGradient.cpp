#include "ui/grid/GridCellGradient.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

QColor Halved(const QColor& c) {
    return QColor(c.red() / 2, c.green() / 2, c.blue() / 2);
}

QColor Mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

}  // namespace

void CGridCellGradient::SetCorners(const QColor& topLeft, const QColor& topRight, const QColor& bottomLeft,
                                   const QColor& bottomRight) {
    m_topLeft = topLeft;
    m_topRight = topRight;
    m_bottomLeft = bottomLeft;
    m_bottomRight = bottomRight;
}

CGridCellGradient::EFill CGridCellGradient::FillKind() const {
    if (m_topLeft == m_topRight && m_topLeft == m_bottomLeft && m_topLeft == m_bottomRight) return kPlain;
    if (m_topLeft == m_bottomLeft && m_topRight == m_bottomRight) return kLeftToRight;
    if (m_topLeft == m_topRight && m_bottomLeft == m_bottomRight) return kTopToBottom;
    return kFourCorners;
}

QColor CGridCellGradient::DrawGradient(QPainter& painter, const QRect& rect,
                                       const TCellDrawState& state) const {
    // A selected cell shows every colour at half its strength.
    const bool dim = state.selected && !state.printing;
    const QColor tl = dim ? Halved(m_topLeft) : m_topLeft;
    const QColor tr = dim ? Halved(m_topRight) : m_topRight;
    const QColor bl = dim ? Halved(m_bottomLeft) : m_bottomLeft;
    const QColor br = dim ? Halved(m_bottomRight) : m_bottomRight;
    QColor text = EffectiveTextColor(state);
    switch (FillKind()) {
        case kPlain:
            painter.fillRect(rect, tl);
            // The dimmed fill of a selected cell would swallow dark text.
            if (dim) text = Qt::white;
            break;
        case kLeftToRight: {
            QLinearGradient g(rect.topLeft(), rect.topRight());
            g.setColorAt(0, tl);
            g.setColorAt(1, tr);
            painter.fillRect(rect, g);
            text = QColor(255 - tl.red(), 255 - tl.green(), 255 - tl.blue());
            break;
        }
        case kTopToBottom: {
            QLinearGradient g(rect.topLeft(), rect.bottomLeft());
            g.setColorAt(0, tl);
            g.setColorAt(1, bl);
            painter.fillRect(rect, g);
            text = QColor(255 - tl.red(), 255 - tl.green(), 255 - tl.blue());
            break;
        }
        case kFourCorners: {
            // Two triangles, each shaded along its diagonal-free edge pair.
            painter.save();
            painter.setPen(Qt::NoPen);
            QPainterPath upper;
            upper.moveTo(rect.topLeft());
            upper.lineTo(rect.topRight() + QPoint(1, 0));
            upper.lineTo(rect.bottomLeft() + QPoint(0, 1));
            upper.closeSubpath();
            QLinearGradient g1(rect.topLeft(), rect.bottomRight());
            g1.setColorAt(0, tl);
            g1.setColorAt(0.5, Mix(tr, bl));
            g1.setColorAt(1, Mix(tr, bl));
            painter.fillPath(upper, g1);
            QPainterPath lower;
            lower.moveTo(rect.topRight() + QPoint(1, 0));
            lower.lineTo(rect.bottomRight() + QPoint(1, 1));
            lower.lineTo(rect.bottomLeft() + QPoint(0, 1));
            lower.closeSubpath();
            QLinearGradient g2(rect.topLeft(), rect.bottomRight());
            g2.setColorAt(0, Mix(tr, bl));
            g2.setColorAt(0.5, Mix(tr, bl));
            g2.setColorAt(1, br);
            painter.fillPath(lower, g2);
            painter.restore();
            break;
        }
    }
    return text;
}

void CGridCellGradient::Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) {
    const QColor text = DrawGradient(painter, rect, state);
    DrawCellText(painter, rect, state, text);
}
