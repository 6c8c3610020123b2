#include "gui/common/CGDIPCheckbox.h"

#include <QPainter>
#include <QPainterPath>

namespace quillon {

namespace {
constexpr int kBox = 13;
}

CGDIPCheckbox::CGDIPCheckbox(const QString& text, QWidget* parent) : CHoverButton(parent) {
    setText(text);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
}

void CGDIPCheckbox::SetCheck(int check) {
    setChecked(check == 1 || check == 2);
}

void CGDIPCheckbox::SetTextColor(const QColor& color) {
    m_textColor = color;
    update();
}

QSize CGDIPCheckbox::sizeHint() const {
    QFontMetrics fm(font());
    int w = kBox + (text().isEmpty() ? 2 : 6 + fm.horizontalAdvance(text()));
    return {w, std::max(kBox + 2, fm.height())};
}

void CGDIPCheckbox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, (height() - kBox) / 2.0 + 0.5, kBox - 1, kBox - 1);
    QPainterPath frame;
    frame.addRoundedRect(box, 2, 2);
    p.fillPath(frame, IsHover() && isEnabled() ? QColor(60, 66, 110) : QColor(30, 32, 40));
    p.setPen(QPen(isEnabled() ? QColor(170, 180, 200) : QColor(90, 90, 90), 1));
    p.drawPath(frame);
    if (isChecked()) {
        QPainterPath tick;
        tick.moveTo(box.left() + 2.5, box.center().y());
        tick.lineTo(box.left() + 5, box.bottom() - 2.5);
        tick.lineTo(box.right() - 2, box.top() + 2.5);
        p.setPen(QPen(isEnabled() ? QColor(120, 220, 255) : QColor(120, 120, 120), 2, Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
    if (!text().isEmpty()) {
        p.setPen(isEnabled() ? m_textColor : QColor(150, 150, 150));
        p.drawText(QRect(kBox + 6, 0, width() - kBox - 6, height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }
}

}  // namespace quillon
