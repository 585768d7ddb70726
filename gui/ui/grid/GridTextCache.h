#pragma once
// Laid-out texts of the grid's cells, kept between paints: laying a text out
// costs far more than drawing it, and a page of the table shows hundreds of
// short texts, many of them alike. Keyed by the text and the width it was
// fitted into; emptied when the font changes or when it grows large.
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

class CGridTextCache {
  public:
    // The text laid out in `font`, cut with an ellipsis when it is wider than `width`.
    const QStaticText& Get(const QString& text, const QFont& font, int width);
    int Size() const { return static_cast<int>(m_texts.size()); }
    void Clear() { m_texts.clear(); }

  private:
    struct TKey {
        QString text;
        int width = 0;
        bool operator==(const TKey& o) const { return width == o.width && text == o.text; }
    };
    friend size_t qHash(const TKey& key, size_t seed) {
        return qHash(key.text, seed) ^ static_cast<size_t>(key.width);
    }

    static constexpr int kLimit = 6000;
    QFont m_font;
    QHash<TKey, QStaticText> m_texts;
};
