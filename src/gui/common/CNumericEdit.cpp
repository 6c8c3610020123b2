#include "gui/common/CNumericEdit.h"

#include <cmath>

#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

#include "gui/common/CMyButton.h"
#include "gui/common/CMyEdit.h"
#include "gui/common/CMySpinButtonCtrl.h"
#include "gui/common/CMyTrackPopup.h"
#include "gui/common/NumericFormat.h"
#include "document/Prompt.h"

namespace quillon {

const char* const CNumericEdit::kTooLowCaption = "Value Too Low";
const char* const CNumericEdit::kTooLowText =
    "The value is lower than allowed. Click Yes to use the minimum value.";
const char* const CNumericEdit::kTooHighCaption = "Value Too High";
const char* const CNumericEdit::kTooHighText =
    "The value is higher than allowed. Click Yes to use the maximum value.";

CNumericEdit::CNumericEdit(IPrompt& prompt, QWidget* parent, int id)
    : QWidget(parent), m_prompt(prompt), m_id(id) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    m_edit = new CMyEdit(this);
    m_edit->hide();
    m_spin = new CMySpinButtonCtrl(this);
    m_spin->hide();
    m_button = new CMyButton(this);
    m_button->hide();
    connect(m_button, &QAbstractButton::pressed, this, &CNumericEdit::ShowPopup);
    StoreFormats(m_displayFormat, m_editFormat);
    m_spin->SetRange(m_minimum, m_maximum);
}

CNumericEdit::~CNumericEdit() {
    // The children outlive this part of the object; none may call back into it.
    m_edit->Detach();
    delete m_edit;
    if (m_popup) {
        m_popup->Detach();
        delete m_popup;
    }
}

void CNumericEdit::Setup(int style, const QString& displayFormat, const QString& editFormat,
                         double minimum, double maximum, double step) {
    m_style = style;
    m_spin->setVisible(style & kSpin);
    m_button->setVisible(style & kPopup);
    SetRange(minimum, maximum);
    m_step = step;
    m_spin->SetStep(step);
    StoreFormats(displayFormat, editFormat);
    Layout();
    update();
}

void CNumericEdit::Reconfigure(const QString& displayFormat, const QString& editFormat,
                               double minimum, double maximum, double step) {
    SetRange(minimum, maximum);
    m_step = step;
    m_spin->SetStep(step);
    StoreFormats(displayFormat, editFormat);
    update();
}

void CNumericEdit::StoreFormats(const QString& displayFormat, const QString& editFormat) {
    m_displayFormat = displayFormat;
    m_editFormat = editFormat;
    // The digit after "%." of the edit format; anything that is not a digit counts as none.
    m_decimals = 0;
    if (editFormat.size() > 2 && editFormat[2].isDigit() && editFormat[2].unicode() < 128)
        m_decimals = editFormat[2].unicode() - '0';
}

QString CNumericEdit::DisplayText() const {
    return FormatDouble(m_displayFormat, m_value);
}

bool CNumericEdit::Ask(const QString& caption, const QString& text) {
    return m_prompt.Question(caption.toStdString(), text.toStdString()) != PromptAnswer::No;
}

void CNumericEdit::Beep() {
    ++m_beeps;
    QApplication::beep();
}

void CNumericEdit::SetValue(bool notify, double value) {
    // A value that is not a number would pass both range checks; it never enters the control.
    if (m_changeGuard || value == m_value || !std::isfinite(value)) return;
    m_changeGuard = true;
    const double previous = m_value;
    bool clamped = false;
    if (value < m_minimum) {
        if (Ask(QString::fromLatin1(kTooLowCaption), QString::fromLatin1(kTooLowText))) {
            value = m_minimum;
            clamped = true;
        } else {
            value = m_value;
        }
    }
    if (value > m_maximum) {
        if (Ask(QString::fromLatin1(kTooHighCaption), QString::fromLatin1(kTooHighText))) {
            value = m_maximum;
            clamped = true;
        } else {
            value = m_value;
        }
    }
    m_value = value;
    m_spin->SetValue(value);
    if (m_edit->isVisible()) m_edit->setText(FormatDouble(m_editFormat, value));
    update();
    // Refusing the question keeps the old value, which is no change to report.
    const bool changed = value != previous;
    if ((notify || clamped) && changed && !(m_popupOrDrag && !(m_style & kNotifyAll)))
        emit nenChanged(m_id, value);
    m_changeGuard = false;
}

void CNumericEdit::ShowStoredValue(double value) {
    if (!std::isfinite(value)) return;
    m_value = value;
    m_spin->SetValue(value);
    update();
}

double CNumericEdit::SetRange(double minimum, double maximum) {
    if (minimum == m_minimum && maximum == m_maximum) return m_value;
    m_minimum = minimum;
    m_maximum = maximum;
    m_spin->SetRange(minimum, maximum);
    if (m_value < m_minimum) m_value = m_minimum;
    if (m_value > m_maximum) m_value = m_maximum;
    m_spin->SetValue(m_value);
    Layout();
    update();
    return m_value;
}

void CNumericEdit::SetThickBar() {
    m_barHeight = 6;
    Layout();
    update();
}

int CNumericEdit::GetPos() const {
    double t = std::trunc(m_value);
    if (t >= 2147483647.0) return 2147483647;
    if (t <= -2147483648.0) return -2147483647 - 1;
    return int(t);
}

void CNumericEdit::SetPos(double value) {
    SetValue(true, value);
}

void CNumericEdit::GetRange(double* minimum, double* maximum) const {
    if (minimum) *minimum = m_minimum;
    if (maximum) *maximum = m_maximum;
}

void CNumericEdit::SetRangeMessage(uint32_t minimum, int32_t maximum) {
    SetRange(double(minimum), double(maximum));
}

bool CNumericEdit::GetReadOnly() const {
    return m_readOnly;
}

void CNumericEdit::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    m_edit->setReadOnly(readOnly);
}

void CNumericEdit::ShowPopup() {
    if (m_popup || m_readOnly || !isEnabled()) return;
    if (IsEditing()) EndEditing();
    m_button->SetPressed(true);
    m_popup = new CMyTrackPopup(this, m_minimum, m_maximum, m_value);
    const QPoint mouse = QCursor::pos();
    const QPoint below = m_button->mapToGlobal(QPoint(0, m_button->height() + 4));
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    m_popup->Open(QPoint(mouse.x() - m_popup->OffsetOf(m_value) - frame, below.y()));
}

void CNumericEdit::PopupStateChange(bool open) {
    if (open) {
        m_popupOrDrag = true;
        return;
    }
    m_popupOrDrag = false;
    m_popup = nullptr;
    m_button->SetPressed(false);
    emit nenChanged(m_id, m_value);
    setFocus();
}

void CNumericEdit::Layout() {
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QRect rest = rect();
    if (m_style & kPopup) {
        m_button->setGeometry(rest.right() - w + 1, rest.top(), w, rest.height());
        rest.setRight(rest.right() - w);
    }
    if (m_style & kSpin) {
        m_spin->setGeometry(rest.right() - w + 1, rest.top(), w, rest.height());
        rest.setRight(rest.right() - w);
    }
    m_textRect = rest;
    if (m_style & kBar) {
        m_textRect.setBottom(rest.bottom() - (m_barHeight + 1));
        m_barRect = QRect(rest.left(), rest.bottom() - m_barHeight + 1, rest.width(), m_barHeight);
    } else {
        m_barRect = QRect();
    }
    m_edit->setGeometry(m_textRect.adjusted(2, 2, -2, -2));
    // A range without width has no scale; the bar then shows and sets the minimum only.
    m_barScale = m_maximum > m_minimum ? m_barRect.width() / (m_maximum - m_minimum) : 0.0;
}

void CNumericEdit::resizeEvent(QResizeEvent*) {
    Layout();
}

void CNumericEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) m_edit->setFont(font());
    QWidget::changeEvent(event);
}

QSize CNumericEdit::sizeHint() const {
    QFontMetrics fm(font());
    int w = fm.horizontalAdvance(DisplayText()) + 16;
    int sw = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (m_style & kSpin) w += sw;
    if (m_style & kPopup) w += sw;
    int h = fm.height() + 8 + ((m_style & kBar) ? m_barHeight + 1 : 0);
    return {std::max(w, 60), h};
}

QString CNumericEdit::DrawnText() const {
    // A text wider than the field is cut visibly at its end, never clipped at both sides.
    const QString text = DisplayText();
    const QFontMetricsF fm(m_edit->font());
    const qreal room = m_textRect.width() - 4;
    return fm.horizontalAdvance(text) <= room ? text : fm.elidedText(text, Qt::ElideRight, room);
}

bool CNumericEdit::IsTextCut() const {
    return DrawnText() != DisplayText();
}

bool CNumericEdit::event(QEvent* event) {
    // The tooltip of a field whose number is cut shows the whole number under the field's own.
    if (event->type() == QEvent::ToolTip && IsTextCut() && !IsEditing()) {
        const QString tip = toolTip().isEmpty() ? DisplayText() : toolTip() + u'\n' + DisplayText();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

void CNumericEdit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &p, this);

    QRect text = m_textRect.adjusted(1, 1, -1, -1);
    QColor textColor = pal.color(QPalette::Text);
    if (!isEnabled()) {
        p.fillRect(text, pal.color(QPalette::Button));
        textColor = pal.color(QPalette::Disabled, QPalette::Text);
    } else if (m_focused) {
        p.fillRect(text, pal.color(QPalette::Base));
        QRect inner = text.adjusted(1, 1, -1, -1);
        p.fillRect(inner, pal.color(QPalette::Highlight));
        textColor = pal.color(QPalette::HighlightedText);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = inner;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    } else {
        p.fillRect(text, pal.color(QPalette::Base));
    }
    p.setPen(textColor);
    p.setFont(m_edit->font());
    p.drawText(m_textRect, Qt::AlignCenter | Qt::TextSingleLine, DrawnText());

    if (m_style & kBar) {
        p.fillRect(m_barRect, pal.color(QPalette::Button));
        // A stored value may lie far outside the range: clamp before converting to pixels.
        const int filled =
            int(std::clamp((m_value - m_minimum) * m_barScale, 0.0, double(m_barRect.width())));
        const QColor bar = isEnabled() ? pal.color(QPalette::Active, QPalette::Highlight)
                                       : pal.color(QPalette::Disabled, QPalette::Mid);
        p.fillRect(QRect(m_barRect.left(), m_barRect.top(), filled, m_barRect.height()), bar);
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(m_barRect.left(), m_barRect.top() - 1, m_barRect.right(), m_barRect.top() - 1);
    }
}

double CNumericEdit::ValueAtBarX(int x) const {
    if (m_barScale <= 0) return m_minimum;
    x = std::clamp(x - m_barRect.left(), 0, m_barRect.width());
    return std::clamp(m_minimum + x / m_barScale, m_minimum, m_maximum);
}

void CNumericEdit::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !(m_style & kBar) || !m_barRect.contains(pos) ||
        m_readOnly)
        return;
    if (IsEditing()) EndEditing();
    SetValue(true, ValueAtBarX(pos.x()));
    m_dragging = true;
    m_popupOrDrag = true;
}

void CNumericEdit::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_dragging) {
        SetValue(true, ValueAtBarX(pos.x()));
        return;
    }
    setCursor((m_style & kBar) && m_barRect.contains(pos) ? Qt::PointingHandCursor
                                                          : Qt::ArrowCursor);
}

void CNumericEdit::mouseReleaseEvent(QMouseEvent*) {
    if (!m_dragging) return;
    m_dragging = false;
    m_popupOrDrag = false;
    emit nenChanged(m_id, m_value);
}

void CNumericEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_textRect.contains(event->position().toPoint())) StartEditing();
}

bool CNumericEdit::StepKey(int key) {
    if (m_readOnly) return false;
    if (key == Qt::Key_Up) {
        if (m_value < m_maximum) SetValue(true, m_value + m_step);
        return true;
    }
    if (key == Qt::Key_Down) {
        if (m_value > m_minimum) SetValue(true, m_value - m_step);
        return true;
    }
    return false;
}

void CNumericEdit::keyPressEvent(QKeyEvent* event) {
    if (StepKey(event->key())) return;
    const QString typed = event->text();
    if (!typed.isEmpty() && typed[0].isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        // Typing replaces the value: the box opens with all of its text selected.
        if (!IsEditing()) {
            StartEditing();
            m_edit->selectAll();
        }
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), typed);
        QApplication::sendEvent(m_edit, &copy);
        return;
    }
    QWidget::keyPressEvent(event);
}

void CNumericEdit::SpinClicked(int delta) {
    if (m_readOnly || !isEnabled()) return;
    if (IsEditing()) EndEditing();
    double v = m_spin->Value() - delta * m_step;
    if (v < m_minimum) {
        v = m_minimum;
        Beep();
    } else if (v > m_maximum) {
        v = m_maximum;
        Beep();
    }
    SetPos(v);
}

void CNumericEdit::StartEditing() {
    if (IsEditing()) return;
    m_edit->setText(FormatDouble(m_editFormat, m_value));
    m_edit->setCursorPosition(int(m_edit->text().size()));
    const bool negativeAllowed = m_minimum < 0;
    const bool fractionAllowed = m_decimals > 0;
    m_edit->SetAllowed(negativeAllowed, fractionAllowed);
    m_edit->setFont(font());
    m_edit->show();
    m_edit->setFocus(Qt::OtherFocusReason);
}

bool CNumericEdit::IsEditing() const {
    return m_edit->isVisible();
}

void CNumericEdit::EndEditing() {
    if (!m_edit->isVisible() || m_endingEdit) return;
    // Hiding the box (or a question box) moves the focus away from it, which would end editing
    // a second time.
    m_endingEdit = true;
    const double v = ParseLeadingNumber(m_edit->text());
    SetPos(v);
    m_edit->hide();
    m_endingEdit = false;
    if (isVisible()) setFocus(Qt::OtherFocusReason);
    update();
}

void CNumericEdit::focusInEvent(QFocusEvent*) {
    m_focused = true;
    update();
}

void CNumericEdit::focusOutEvent(QFocusEvent*) {
    m_focused = false;
    update();
}

}  // namespace quillon
