#include "views/series/GripperImages.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

#include "views/series/ColorScheme.h"

namespace {

QPixmap Make(CGripperImages::EImage which) {
    QPixmap pixmap(CGripperImages::kWidth, CGripperImages::kHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, 18, 15);
    const QColor link = CColorScheme::Link();
    switch (which) {
        case CGripperImages::kCollapsed:
        case CGripperImages::kExpanded: {
            QLinearGradient g(box.topLeft(), box.bottomLeft());
            g.setColorAt(0, Qt::white);
            g.setColorAt(1, QColor(214, 230, 236));
            p.setPen(QPen(link, 1));
            p.setBrush(g);
            p.drawRoundedRect(box, 3, 3);
            QPainterPath arrow;
            if (which == CGripperImages::kCollapsed) {
                arrow.moveTo(8, 5);
                arrow.lineTo(14, 9);
                arrow.lineTo(8, 13);
            } else {
                arrow.moveTo(6, 7);
                arrow.lineTo(14, 7);
                arrow.lineTo(10, 13);
            }
            arrow.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(link);
            p.drawPath(arrow);
            break;
        }
        case CGripperImages::kInSummary:
        case CGripperImages::kNotInSummary: {
            const bool in = which == CGripperImages::kInSummary;
            p.setPen(QPen(in ? link : QColor(150, 150, 150), 1));
            p.setBrush(in ? CColorScheme::NormalBar() : QColor(236, 236, 236));
            p.drawRoundedRect(box, 3, 3);
            QFont f;
            f.setPixelSize(13);
            f.setBold(true);
            p.setFont(f);
            p.setPen(in ? Qt::white : QColor(150, 150, 150));
            p.drawText(QRectF(1, 1, 19, 16), Qt::AlignCenter, QString(QChar(0x03A3)));
            if (!in) {
                p.setPen(QPen(QColor(190, 60, 50), 1.6));
                p.drawLine(QPointF(4, 14), QPointF(17, 4));
            }
            break;
        }
    }
    return pixmap;
}

}  // namespace

const QPixmap& CGripperImages::Image(EImage image) {
    static const std::array<QPixmap, 4> images = {Make(kCollapsed), Make(kExpanded), Make(kInSummary),
                                                  Make(kNotInSummary)};
    return images[static_cast<std::size_t>(image)];
}
