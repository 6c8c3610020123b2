#include "gui/common/CGDIPGlowLabel.h"

#include <QPainter>
#include <QPainterPath>

namespace quillon {

CGDIPGlowLabel::CGDIPGlowLabel(QWidget* parent, const QString& text)
    : CGDIPBuffer(parent), m_text(text), m_font(font()) {}

void CGDIPGlowLabel::SetText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    TextChanged();
}

void CGDIPGlowLabel::SetColors(const QColor& text, const QColor& glow) {
    m_textColor = text;
    m_glowColor = glow;
    Invalidate();
}

void CGDIPGlowLabel::SetLabelFont(const QFont& font) {
    m_font = font;
    TextChanged();
}

void CGDIPGlowLabel::SetAngle(double degrees) {
    m_angle = degrees;
    TextChanged();
}

void CGDIPGlowLabel::SetAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    Invalidate();
}

void CGDIPGlowLabel::SetGlow(int radius) {
    m_glow = std::clamp(radius, 0, 8);
    TextChanged();
}

void CGDIPGlowLabel::SetElideMode(Qt::TextElideMode mode) {
    m_elide = mode;
    TextChanged();
}

QString CGDIPGlowLabel::ShownText() const {
    if (m_elide == Qt::ElideNone || m_angle != 0) return m_text;
    const QFontMetricsF fm(m_font);
    const qreal room = width() - 2.0 * m_glow;
    if (fm.horizontalAdvance(m_text) <= room) return m_text;
    return fm.elidedText(m_text, m_elide, std::max<qreal>(room, 0));
}

void CGDIPGlowLabel::resizeEvent(QResizeEvent* event) {
    CGDIPBuffer::resizeEvent(event);
    if (m_elide != Qt::ElideNone) TextChanged();
}

void CGDIPGlowLabel::TextChanged() {
    // Only an eliding label owns its tooltip; others keep whatever their owner set.
    if (m_elide != Qt::ElideNone) setToolTip(ShownText() != m_text ? m_text : QString());
    Invalidate();
}

void CGDIPGlowLabel::Render(QPainter& painter, const QSize& size) {
    const QString text = ShownText();
    if (text.isEmpty()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF box(QPointF(0, 0), QSizeF(size));
    if (m_angle != 0) {
        painter.translate(box.center());
        painter.rotate(m_angle);
        painter.translate(-box.center());
    }
    const QRectF inner = box.adjusted(m_glow, 0, -m_glow, 0);
    const QFontMetricsF fm(m_font);
    QRectF bounds = fm.boundingRect(inner, int(m_alignment) | Qt::TextSingleLine, text);
    QPainterPath path;
    path.addText(bounds.left(), bounds.top() + fm.ascent(), m_font, text);
    // The glow: the outline stroked with widening, fading pens under the text.
    for (int r = m_glow; r > 0; --r) {
        QColor c = m_glowColor;
        c.setAlpha(std::min(255, 60 + 40 * (m_glow - r)) * m_glowColor.alpha() / 255);
        painter.strokePath(path, QPen(c, 2.0 * r, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    painter.fillPath(path, m_textColor);
}

}  // namespace quillon
