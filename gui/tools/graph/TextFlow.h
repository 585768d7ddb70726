#pragma once
// Flows a text into lines the way the drawn pages lay out their comments:
// words end after a blank, a full stop or a line feed; a line feed starts a
// new line; a word wider than a whole line is broken between characters.
#include <QPoint>
#include <QString>
#include <functional>

namespace TextFlow {

// Lays `text` out between `left` and `right`, in lines `lineHeight` apart
// from `top`. `width` measures a piece; `place` puts one at its top-left
// corner and returns how wide it came out. Returns the top of the last line.
int Flow(const QString& text, int left, int right, int top, int lineHeight,
         const std::function<int(const QString&)>& width,
         const std::function<int(const QString&, const QPoint&)>& place);

}  // namespace TextFlow
