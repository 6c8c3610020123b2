#include "gui/dialogs/CElidedLabel.h"

#include <QPainter>

namespace quillon {

CElidedLabel::CElidedLabel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CElidedLabel::setText(const QString& text) {
    m_text = text;
    setToolTip(text);
    updateGeometry();
    update();
}

QString CElidedLabel::ShownText() const {
    return fontMetrics().elidedText(m_text, Qt::ElideMiddle, width());
}

QSize CElidedLabel::sizeHint() const {
    // Wide enough for usual texts, never wider than a dialog should grow for one line.
    const QFontMetrics fm = fontMetrics();
    return {std::min(fm.horizontalAdvance(m_text), fm.averageCharWidth() * 60), fm.height()};
}

QSize CElidedLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 10, fontMetrics().height()};
}

void CElidedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ShownText());
}

}  // namespace quillon
