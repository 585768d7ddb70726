#pragma once
// A page or table as a picture for the clipboard: a vector picture (SVG) for
// documents and a bitmap (PNG) for everything else, both on a white ground at
// 0.2 mm per pixel, so a picture pasted into a report has the size it had on
// the screen.
#include <QSize>
#include <functional>
#include <memory>

class QMimeData;
class QPainter;

namespace PictureData {

// Pixels of a picture per metre: 0.2 mm each.
constexpr int kDotsPerMeter = 5000;
// Above this many pixels (a bitmap of a quarter gigabyte) the picture goes as
// the vector picture alone.
constexpr long long kMaxBitmapPixels = 64ll * 1024 * 1024;

// `render` draws the picture's content in pixels from (0, 0) to `size`; it is
// called once for each form. Null for an empty size.
std::unique_ptr<QMimeData> Make(const QSize& size, const std::function<void(QPainter&)>& render);

}  // namespace PictureData
