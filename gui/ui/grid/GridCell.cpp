#include "ui/grid/GridCell.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>
#include <cmath>

#include "ui/grid/GridTextCache.h"

TGridTooltip CGridCell::TooltipAt(const QPoint& local) const {
    (void)local;
    return m_tooltip;
}

QColor CGridCell::EffectiveTextColor(const TCellDrawState& state) const {
    return m_textColor.isValid() ? m_textColor : state.defaultText;
}

void CGridCell::DrawBackground(QPainter& painter, const QRect& rect, const TCellDrawState& state) const {
    const bool selected = state.selected && !state.printing && state.selectionBackground.isValid();
    painter.fillRect(rect, selected ? state.selectionBackground : m_background);
}

void CGridCell::DrawCellText(QPainter& painter, const QRect& rect, const TCellDrawState& state,
                             const QColor& color) const {
    if (m_text.isEmpty()) return;
    if (painter.font() != state.font) painter.setFont(state.font);
    painter.setPen(color);
    const QRect inner = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    if (!state.texts) {
        const QString shown = painter.fontMetrics().elidedText(m_text, Qt::ElideRight, inner.width());
        painter.drawText(inner, static_cast<int>(m_alignment) | Qt::TextSingleLine, shown);
        return;
    }
    const QStaticText& text = state.texts->Get(m_text, state.font, inner.width());
    const QSizeF size = text.size();
    double x = inner.left();
    if (m_alignment & Qt::AlignRight)
        x = inner.left() + inner.width() - size.width();
    else if (m_alignment & Qt::AlignHCenter)
        x = inner.left() + (inner.width() - size.width()) / 2;
    const double y = inner.top() + (inner.height() - size.height()) / 2;
    painter.drawStaticText(QPointF(std::floor(x), std::floor(y)), text);
}

void CGridCell::Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) {
    DrawBackground(painter, rect, state);
    DrawCellText(painter, rect, state, EffectiveTextColor(state));
}

int CGridCell::ContentWidth(const QFontMetrics& metrics) const {
    return m_text.isEmpty() ? 0 : metrics.horizontalAdvance(m_text) + 2 * kTextMargin;
}
