#include "tools/graph/PictureData.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QSvgGenerator>

namespace PictureData {

std::unique_ptr<QMimeData> Make(const QSize& size, const std::function<void(QPainter&)>& render) {
    if (size.isEmpty()) return nullptr;
    const QRect all(QPoint(0, 0), size);
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&svg);
        generator.setSize(size);
        generator.setViewBox(all);
        generator.setResolution(qRound(kDotsPerMeter * 0.0254));
        QPainter painter(&generator);
        painter.fillRect(all, Qt::white);
        render(painter);
    }
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("image/svg+xml"), svg.data());
    if (static_cast<long long>(size.width()) * size.height() <= kMaxBitmapPixels) {
        QImage image(size, QImage::Format_RGB32);
        // Without memory for the bitmap the vector picture still goes.
        if (!image.isNull()) {
            image.setDotsPerMeterX(kDotsPerMeter);
            image.setDotsPerMeterY(kDotsPerMeter);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                render(painter);
            }
            mime->setImageData(image);
        }
    }
    return mime;
}

}  // namespace PictureData
