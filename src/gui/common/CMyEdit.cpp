#include "gui/common/CMyEdit.h"

#include <QKeyEvent>

#include "gui/common/CNumericEdit.h"
#include "gui/common/NumericFormat.h"

namespace quillon {

CMyEdit::CMyEdit(CNumericEdit* owner) : QLineEdit(owner), m_owner(owner) {
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QLineEdit::textChanged, this, &CMyEdit::OnTextChanged);
}

void CMyEdit::SetAllowed(bool minus, bool decimalPoint) {
    m_minusAllowed = minus;
    m_pointAllowed = decimalPoint;
}

void CMyEdit::OnTextChanged(const QString& text) {
    if (!m_owner) return;
    double v = ParseLeadingNumber(text);
    bool out = v < m_owner->Minimum() || v > m_owner->Maximum();
    if (out == m_outOfRange) return;
    m_outOfRange = out;
    QPalette p = palette();
    p.setColor(QPalette::Base, out ? OutOfRangeColor() : m_owner->palette().color(QPalette::Base));
    setPalette(p);
}

void CMyEdit::ToggleMinus(bool remove) {
    QString t = text();
    int start = hasSelectedText() ? selectionStart() : cursorPosition();
    int length = hasSelectedText() ? int(selectedText().size()) : 0;
    bool hasMinus = t.startsWith(u'-');
    if (hasMinus) {
        t.remove(0, 1);
        start = std::max(0, start - 1);
    } else if (!remove) {
        t.prepend(u'-');
        ++start;
    } else {
        return;
    }
    setText(t);
    if (length > 0)
        setSelection(start, length);
    else
        setCursorPosition(start);
}

void CMyEdit::keyPressEvent(QKeyEvent* event) {
    if (!m_owner) return;
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        m_owner->StepKey(key);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        // Both end editing with a commit; handled here so that they never reach the dialog's
        // default or cancel button.
        m_owner->EndEditing();
        return;
    }
    const QString typed = event->text();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) ||
        typed.isEmpty() || !typed[0].isPrint()) {
        QLineEdit::keyPressEvent(event);  // Backspace, caret keys, shortcuts
        return;
    }
    if (isReadOnly()) {
        m_owner->Beep();
        return;
    }
    const QChar c = typed[0];
    if (c.isDigit() && c.unicode() < 128) {
        QLineEdit::keyPressEvent(event);
    } else if (c == u'-' || c == u'+') {
        if (!m_minusAllowed)
            m_owner->Beep();
        else
            ToggleMinus(c == u'+');
    } else if (c == u'.') {
        if (!m_pointAllowed) {
            m_owner->Beep();
            return;
        }
        qsizetype point = text().indexOf(u'.');
        bool replaced = hasSelectedText() && point >= selectionStart() &&
                        point < selectionStart() + selectedText().size();
        if (point < 0 || replaced) QLineEdit::keyPressEvent(event);
    } else {
        m_owner->Beep();
    }
}

void CMyEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (m_owner) m_owner->EndEditing();
}

}  // namespace quillon
