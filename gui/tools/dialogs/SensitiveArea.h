#pragma once
// The clickable rectangles of an owner-drawn view: each with a rank, an
// identifier, a second number and a text. The view rebuilds the list at every
// draw and hit-tests it on mouse moves and clicks; where rectangles overlap,
// the highest rank wins.
#include <QFontMetrics>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

class CSensitiveArea {
  public:
    struct TEntry {
        QRect rect;
        int rank = 0;
        int id = 0;
        int second = 0;
        QString text;
        bool inUse = false;
    };

    // Takes the first free slot, or a new one at the end.
    void Add(const QRect& rect, int rank, int id, int second = 0, const QString& text = QString());
    // The rectangle of `text` as drawn at `position` (its top-left corner) in the font of `metrics`.
    void AddText(const QPoint& position, const QFontMetrics& metrics, const QString& text, int rank, int id,
                 int second = 0);
    // The entry in use whose rectangle holds the point (edges included) with the
    // highest rank; the earliest among equal ranks.
    std::optional<TEntry> HitTest(const QPoint& point) const;
    void Clear() {
        m_entries.clear();
        m_free = 0;
    }
    // Marks one entry free, so the next Add may reuse its slot.
    void Release(std::size_t slot);

    std::size_t Count() const { return m_entries.size(); }
    const std::vector<TEntry>& Entries() const { return m_entries; }

  private:
    std::vector<TEntry> m_entries;
    std::size_t m_free = 0;  // entries released and not yet reused
};
