#include "ui/grid/GridTextCache.h"

#include <QFontMetrics>

const QStaticText& CGridTextCache::Get(const QString& text, const QFont& font, int width) {
    if (font != m_font) {
        m_texts.clear();
        m_font = font;
    }
    const TKey key{text, width};
    auto it = m_texts.find(key);
    if (it != m_texts.end()) return *it;
    // Far more texts than a screen shows: start over rather than keep them all.
    if (m_texts.size() >= kLimit) m_texts.clear();
    const QFontMetrics fm(font);
    const QString shown =
        fm.horizontalAdvance(text) <= width ? text : fm.elidedText(text, Qt::ElideRight, width);
    QStaticText s(shown);
    s.setTextFormat(Qt::PlainText);
    s.prepare(QTransform(), font);
    return *m_texts.insert(key, s);
}
