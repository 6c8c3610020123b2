#include "gui/common/CGDIPBuffer.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace quillon {

CGDIPBuffer::CGDIPBuffer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void CGDIPBuffer::Invalidate() {
    m_cache = QPixmap();
    update();
}

void CGDIPBuffer::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) return;
    const qreal dpr = devicePixelRatioF();
    if (m_cache.isNull() || m_cache.size() != size() * dpr) {
        QImage image(size() * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            Render(painter, size());
        }
        ++m_renders;
        m_cache = QPixmap::fromImage(std::move(image));
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_cache);
}

void CGDIPBuffer::resizeEvent(QResizeEvent*) {
    m_cache = QPixmap();
}

void CGDIPBuffer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void CGDIPBuffer::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

}  // namespace quillon
