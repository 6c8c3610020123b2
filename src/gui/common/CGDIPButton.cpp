#include "gui/common/CGDIPButton.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quillon {

CGDIPButton::CGDIPButton(const QString& text, QWidget* parent) : CHoverButton(parent) {
    setText(text);
    setFocusPolicy(Qt::NoFocus);
}

QSize CGDIPButton::sizeHint() const {
    QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 16, fm.height() + 8};
}

void CGDIPButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(box, 5, 5);
    QLinearGradient body(box.topLeft(), box.bottomLeft());
    const bool down = isDown();
    body.setColorAt(0.0, down ? QColor(30, 34, 44) : QColor(96, 104, 120));
    body.setColorAt(0.5, down ? QColor(44, 50, 62) : QColor(52, 58, 70));
    body.setColorAt(1.0, down ? QColor(70, 76, 90) : QColor(24, 26, 32));
    p.fillPath(path, body);
    if (IsHover() && isEnabled()) p.fillPath(path, HoverColor());
    p.setPen(QPen(QColor(160, 170, 190), 1));
    p.drawPath(path);
    p.setPen(isEnabled() ? QColor(Qt::white) : DisabledTextColor());
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

}  // namespace quillon
