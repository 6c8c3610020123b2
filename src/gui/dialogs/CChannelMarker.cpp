#include "gui/dialogs/CChannelMarker.h"

#include <cmath>

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quillon {

QPixmap CChannelMarker::Pixmap(qreal devicePixelRatio) {
    const qreal ratio = std::max<qreal>(1.0, devicePixelRatio);
    const int side = int(std::ceil(kSize * ratio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(ratio);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A green lamp with a light rim and a tick, readable on the lists' black background.
    const QRectF disc(2.0, 2.0, 12.0, 12.0);
    QRadialGradient body(QPointF(6.5, 6.0), 8.0);
    body.setColorAt(0.0, QColor(150, 255, 150));
    body.setColorAt(0.6, QColor(40, 190, 70));
    body.setColorAt(1.0, QColor(10, 110, 40));
    p.setPen(QPen(QColor(200, 255, 200), 1.0));
    p.setBrush(body);
    p.drawEllipse(disc);
    QPainterPath tick;
    tick.moveTo(5.0, 8.2);
    tick.lineTo(7.2, 10.4);
    tick.lineTo(11.0, 5.6);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    p.end();
    return QPixmap::fromImage(image);
}

}  // namespace quillon
