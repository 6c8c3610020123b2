#include "gui/common/CBGImage.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>

namespace quillon {

CBGImage::CBGImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

const QImage& CBGImage::Artwork() {
    static const QImage image = [] {
        QImage img(1024, 768, QImage::Format_RGB32);
        QPainter p(&img);
        QLinearGradient base(0, 0, 0, 768);
        base.setColorAt(0.0, QColor(26, 30, 40));
        base.setColorAt(0.4, QColor(10, 12, 18));
        base.setColorAt(1.0, QColor(0, 0, 0));
        p.fillRect(img.rect(), base);
        QRadialGradient glow(QPointF(160, 40), 420);
        glow.setColorAt(0.0, QColor(40, 70, 130, 110));
        glow.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.fillRect(img.rect(), glow);
        // A faint measuring grid that fades towards the bottom.
        for (int y = 0; y < 768; y += 16) {
            const int a = std::max(0, 28 - y / 28);
            p.setPen(QColor(90, 130, 200, a));
            p.drawLine(0, y, 1023, y);
        }
        for (int x = 0; x < 1024; x += 16) {
            p.setPen(QColor(90, 130, 200, 14));
            p.drawLine(x, 0, x, 300);
        }
        return img;
    }();
    return image;
}

void CBGImage::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), Qt::black);
    p.drawImage(0, 0, Artwork());
}

}  // namespace quillon
