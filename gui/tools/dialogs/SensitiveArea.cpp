#include "tools/dialogs/SensitiveArea.h"

void CSensitiveArea::Add(const QRect& rect, int rank, int id, int second, const QString& text) {
    TEntry entry{rect, rank, id, second, text, true};
    // Without a freed slot there is nothing to look for: a summary of
    // thousands of bars adds them in linear time.
    if (m_free > 0) {
        for (TEntry& slot : m_entries) {
            if (!slot.inUse) {
                slot = std::move(entry);
                --m_free;
                return;
            }
        }
    }
    m_entries.push_back(std::move(entry));
}

void CSensitiveArea::AddText(const QPoint& position, const QFontMetrics& metrics, const QString& text,
                             int rank, int id, int second) {
    Add(QRect(position, QSize(metrics.horizontalAdvance(text), metrics.height())), rank, id, second, text);
}

std::optional<CSensitiveArea::TEntry> CSensitiveArea::HitTest(const QPoint& point) const {
    const TEntry* best = nullptr;
    for (const TEntry& e : m_entries) {
        if (!e.inUse) continue;
        // Edges included: the right and bottom edge pixels count as well.
        const QRect& r = e.rect;
        if (point.x() < r.left() || point.x() > r.left() + r.width() || point.y() < r.top() ||
            point.y() > r.top() + r.height())
            continue;
        if (best == nullptr || e.rank > best->rank) best = &e;
    }
    if (best == nullptr) return std::nullopt;
    return *best;
}

void CSensitiveArea::Release(std::size_t slot) {
    if (slot < m_entries.size() && m_entries[slot].inUse) {
        m_entries[slot].inUse = false;
        ++m_free;
    }
}
