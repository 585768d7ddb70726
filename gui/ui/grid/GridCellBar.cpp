#include "ui/grid/GridCellBar.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

namespace {

QColor Inverse(const QColor& c) {
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

}  // namespace

void CGridCellBar::SetMarker(int marker, double position, bool shown) {
    if (marker < 0 || marker > 1) return;
    m_markers[marker] = position;
    m_markerShown[marker] = shown;
}

int CGridCellBar::BarWidth(int cellWidth) const {
    const double span = m_maximum - m_minimum;
    if (!(span > 0) || !std::isfinite(m_value)) return 0;
    const double width = cellWidth * std::max(m_value, m_minimum) / span;
    // A value beyond the scale fills the cell, never more.
    return static_cast<int>(std::clamp(width, 0.0, static_cast<double>(cellWidth)));
}

void CGridCellBar::Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) {
    DrawBackground(painter, rect, state);
    const bool selectedLook = state.selected && !state.printing;
    const QColor bar = selectedLook ? m_barColorSelected : m_barColor;
    QRect barRect(rect.left(), rect.top(), BarWidth(rect.width()), rect.height());
    if (state.focused && !state.printing) barRect.adjust(1, 1, -1, -1);
    if (barRect.width() > 0) painter.fillRect(barRect, bar);

    if (state.printing) {
        DrawCellText(painter, rect, state, EffectiveTextColor(state));
    } else {
        // Over the bar the text takes the bar's inverse colour, beside it the
        // cell's own, so it reads on both.
        painter.save();
        painter.setClipRect(barRect, Qt::IntersectClip);
        DrawCellText(painter, rect, state, Inverse(bar));
        painter.restore();
        painter.save();
        painter.setClipRegion(QRegion(rect).subtracted(QRegion(barRect)), Qt::IntersectClip);
        DrawCellText(painter, rect, state, EffectiveTextColor(state));
        painter.restore();
    }

    const double span = m_maximum - m_minimum;
    if (span > 0) {
        painter.save();
        const QColor markerColor =
            selectedLook ? Inverse(EffectiveTextColor(state)) : EffectiveTextColor(state);
        for (int i = 0; i < 2; ++i) {
            if (!m_markerShown[i]) continue;
            const int x = rect.left() + static_cast<int>(rect.width() * (m_markers[i] - m_minimum) / span);
            painter.fillRect(QRect(x - 1, rect.top(), 3, rect.height()), markerColor);
        }
        painter.restore();
    }
}
