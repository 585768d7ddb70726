#include "tools/graph/TextFlow.h"

namespace TextFlow {

int Flow(const QString& text, int left, int right, int top, int lineHeight,
         const std::function<int(const QString&)>& width,
         const std::function<int(const QString&, const QPoint&)>& place) {
    int cx = left;
    int cy = top;
    const auto put = [&](const QString& piece) { cx += place(piece, QPoint(cx, cy)); };
    const auto newLine = [&] {
        cx = left;
        cy += lineHeight;
    };
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char(' ') && text[end] != QLatin1Char('.') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        const bool lineFeed = end < text.size() && text[end] == QLatin1Char('\n');
        // The blank or full stop stays with its word; the line feed does not.
        const QString word = text.mid(start, end - start + (end < text.size() && !lineFeed ? 1 : 0));
        start = end + 1;
        if (!word.isEmpty()) {
            const int w = width(word);
            if (cx > left && cx + w > right) newLine();
            if (w > right - left) {
                QString piece;
                for (QChar ch : word) {
                    if (!piece.isEmpty() && cx + width(piece + ch) > right) {
                        put(piece);
                        piece.clear();
                        newLine();
                    }
                    piece += ch;
                }
                if (!piece.isEmpty()) put(piece);
            } else {
                put(word);
            }
        }
        if (lineFeed) newLine();
    }
    return cy;
}

}  // namespace TextFlow
