#include "ui/grid/GridCellMultiBmp.h"

#include <QFontMetrics>
#include <QPainter>

int CGridCellMultiBmp::AddPair(const QPixmap& first, const QPixmap& second, const QPoint& position) {
    TPair pair;
    pair.pictures[0] = first;
    pair.pictures[1] = second;
    pair.position = position;
    m_pairs.push_back(pair);
    return static_cast<int>(m_pairs.size()) - 1;
}

int CGridCellMultiBmp::Shown(int pair) const {
    if (pair < 0 || pair >= PairCount()) return 0;
    return m_pairs[static_cast<std::size_t>(pair)].shown;
}

void CGridCellMultiBmp::SetShown(int pair, int which) {
    if (pair < 0 || pair >= PairCount()) return;
    m_pairs[static_cast<std::size_t>(pair)].shown = which ? 1 : 0;
}

int CGridCellMultiBmp::PairAt(const QPoint& local) const {
    for (int i = 0; i < PairCount(); ++i) {
        const TPair& p = m_pairs[static_cast<std::size_t>(i)];
        const QPixmap& shown = p.pictures[p.shown];
        if (QRect(p.position, shown.deviceIndependentSize().toSize()).contains(local)) return i;
    }
    return -1;
}

bool CGridCellMultiBmp::OnClick(const QPoint& local) {
    m_lastClicked = PairAt(local);
    if (m_lastClicked < 0) return false;
    TPair& p = m_pairs[static_cast<std::size_t>(m_lastClicked)];
    p.shown = 1 - p.shown;
    return true;
}

bool CGridCellMultiBmp::OnMouseMove(const QPoint& local) {
    const int hover = PairAt(local);
    const bool changed = hover != m_hoverPair;
    m_hoverPair = hover;
    return changed;
}

bool CGridCellMultiBmp::OnMouseLeave() {
    const bool changed = m_hoverPair >= 0;
    m_hoverPair = -1;
    return changed;
}

void CGridCellMultiBmp::Draw(QPainter& painter, const QRect& rect, const TCellDrawState& state) {
    const QColor text = DrawGradient(painter, rect, state);
    for (const TPair& p : m_pairs) painter.drawPixmap(rect.topLeft() + p.position, p.pictures[p.shown]);
    DrawCellText(painter, rect, state, text);
}

int CGridCellMultiBmp::ContentWidth(const QFontMetrics& metrics) const {
    // Room for the pictures left of the text.
    int right = 0;
    for (const TPair& p : m_pairs)
        right = std::max(
            right, p.position.x() + static_cast<int>(p.pictures[p.shown].deviceIndependentSize().width()));
    return right + CGridCell::ContentWidth(metrics);
}
