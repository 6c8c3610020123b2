#include "gui/common/CGDIPDataMonitorValue.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "gui/common/StatusTable.h"

namespace quillon {

CGDIPDataMonitorValue::CGDIPDataMonitorValue(QWidget* parent) : CGDIPBuffer(parent) {
    m_font = font();
    m_font.setBold(true);
}

void CGDIPDataMonitorValue::SetStatus(const QString& valueText, uint32_t status) {
    if (valueText == m_valueText && status == m_status && HasCache()) return;
    if (status != m_status) m_toggled = false;
    m_valueText = valueText;
    m_status = status;
    Invalidate();
}

void CGDIPDataMonitorValue::SetFontSize(int pointSize) {
    m_font.setPointSize(std::max(1, pointSize));
    Invalidate();
}

void CGDIPDataMonitorValue::SetBold(bool bold) {
    m_font.setBold(bold);
    Invalidate();
}

void CGDIPDataMonitorValue::SetAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    Invalidate();
}

void CGDIPDataMonitorValue::SetBackgroundColor(const QColor& color) {
    m_background = color;
    Invalidate();
}

void CGDIPDataMonitorValue::SetTextColor(const QColor& color) {
    m_textColor = color;
    Invalidate();
}

int CGDIPDataMonitorValue::Lamp() const {
    return GetStatusEntry(m_status).lamp;
}

bool CGDIPDataMonitorValue::ShowsStatusText() const {
    return GetStatusEntry(m_status).forced || m_toggled;
}

QString CGDIPDataMonitorValue::ShownText() const {
    return ShowsStatusText() ? QString::fromLatin1(GetStatusEntry(m_status).text) : m_valueText;
}

QRect CGDIPDataMonitorValue::TextRect(const QSize& size) const {
    QRect textRect(QPoint(0, 0), size);
    if (Lamp() != 0) textRect.setLeft(kLampSize);
    return textRect.adjusted(2, 0, -2, 0);
}

QString CGDIPDataMonitorValue::DrawnText() const {
    const QString text = ShownText();
    const QFontMetricsF fm(m_font);
    const qreal room = TextRect(size()).width();
    return fm.horizontalAdvance(text) <= room ? text : fm.elidedText(text, Qt::ElideRight, room);
}

bool CGDIPDataMonitorValue::IsTextCut() const {
    return DrawnText() != ShownText();
}

void CGDIPDataMonitorValue::Render(QPainter& painter, const QSize& size) {
    painter.fillRect(QRect(QPoint(0, 0), size), m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int lamp = Lamp();
    if (lamp != 0) {
        const int top = (size.height() - kLampSize) / 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(LampColor(lamp));
        painter.drawEllipse(QRect(0, top, kLampSize, kLampSize));
    }
    painter.setPen(m_textColor);
    painter.setFont(m_font);
    painter.drawText(TextRect(size), int(m_alignment) | Qt::TextSingleLine, DrawnText());
}

bool CGDIPDataMonitorValue::event(QEvent* event) {
    // A text too long for the display is drawn elided; its tooltip shows it whole.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (IsTextCut())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), ShownText(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return CGDIPBuffer::event(event);
}

void CGDIPDataMonitorValue::mouseReleaseEvent(QMouseEvent* event) {
    const StatusEntry& entry = GetStatusEntry(m_status);
    if (event->button() == Qt::LeftButton && entry.lamp != 0 && !entry.forced) {
        m_toggled = !m_toggled;
        Invalidate();
    }
    CGDIPBuffer::mouseReleaseEvent(event);
}

}  // namespace quillon
