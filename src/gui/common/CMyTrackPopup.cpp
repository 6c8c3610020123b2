#include "gui/common/CMyTrackPopup.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <cmath>

#include "gui/common/CNumericEdit.h"

namespace quillon {

namespace {
constexpr int kInset = 6;  // frame pixels that the slider leaves unused
}

CMyTrackPopup::CMyTrackPopup(CNumericEdit* owner, double minimum, double maximum, double value)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint),
      m_minimum(minimum),
      m_maximum(maximum),
      m_value(value),
      m_owner(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::SizeHorCursor);
    setMouseTracking(true);
    const int h = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + kInset;
    setFixedSize(kWidth, h);
    m_scale = maximum > minimum ? (kWidth - kInset) / (maximum - minimum) : 0.0;
}

int CMyTrackPopup::OffsetOf(double value) const {
    return int(std::lround((value - m_minimum) * m_scale));
}

void CMyTrackPopup::Open(const QPoint& topLeft) {
    move(topLeft);
    show();
    m_owner->PopupStateChange(true);
}

void CMyTrackPopup::TrackTo(int x) {
    x = std::clamp(x - kInset / 2, 0, kWidth - kInset);
    double v = m_scale > 0 ? m_minimum + x / m_scale : m_minimum;
    m_value = std::clamp(v, m_minimum, std::max(m_minimum, m_maximum));
    update();
    m_owner->SetPos(m_value);
}

void CMyTrackPopup::Finish() {
    close();
}

void CMyTrackPopup::closeEvent(QCloseEvent* event) {
    // Every way of closing (release, a click elsewhere, Escape) ends tracking once.
    if (!m_finished) {
        m_finished = true;
        m_owner->PopupStateChange(false);
    }
    QWidget::closeEvent(event);
}

void CMyTrackPopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect groove(kInset / 2, height() / 2 - 2, kWidth - kInset, 4);
    p.fillRect(groove, palette().color(QPalette::Mid));
    const int x = kInset / 2 + OffsetOf(m_value);
    p.fillRect(QRect(x - 3, 2, 6, height() - 4), palette().color(QPalette::Highlight));
}

void CMyTrackPopup::mousePressEvent(QMouseEvent* event) {
    // A press outside the popup closes it, as any popup does.
    if (!rect().contains(event->position().toPoint())) Finish();
}

void CMyTrackPopup::mouseMoveEvent(QMouseEvent* event) {
    TrackTo(int(event->position().x()));
}

void CMyTrackPopup::mouseReleaseEvent(QMouseEvent*) {
    Finish();
}

}  // namespace quillon
