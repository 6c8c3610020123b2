#include "gui/dialogs/CEditFormula.h"

#include <QApplication>
#include <QKeyEvent>

#include "gui/common/AnsiText.h"
#include "gui/dialogs/CAnsiValidator.h"

namespace quillon {

CEditFormula::CEditFormula(FormulaEditModel::NameLookup names, QWidget* parent)
    : QLineEdit(parent), m_model(std::move(names)) {
    setMaxLength(32767);  // the model applies the limits
    setDragEnabled(false);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void CEditFormula::SetFormula(const std::string& formula) {
    m_model.SetFormula(formula);
    setText(FromAnsi(m_model.Shown()));
    setCursorPosition(m_model.Caret());
}

void CEditFormula::RefreshNames() {
    TakeSelection();
    m_model.Refresh();
    setText(FromAnsi(m_model.Shown()));
    setCursorPosition(m_model.Caret());
}

void CEditFormula::TakeSelection() {
    if (hasSelectedText()) {
        const int start = selectionStart();
        m_model.SetSelection(start, start + int(selectedText().size()), cursorPosition());
    } else {
        m_model.SetCaret(cursorPosition());
    }
}

void CEditFormula::Show(bool changed) {
    if (changed) setText(FromAnsi(m_model.Shown()));
    if (m_model.SelectionStart() != m_model.SelectionEnd())
        setSelection(m_model.SelectionStart(), m_model.SelectionEnd() - m_model.SelectionStart());
    else
        setCursorPosition(m_model.Caret());
    setFocus(Qt::OtherFocusReason);
    if (changed) emit formulaChanged();
}

bool CEditFormula::InsertChar(char c) {
    TakeSelection();
    const bool done = m_model.InsertChar(c);
    Show(done);
    if (!done) emit formulaFull();
    return done;
}

bool CEditFormula::InsertReference(int channel) {
    TakeSelection();
    const bool done = m_model.InsertReference(channel);
    Show(done);
    if (!done) emit formulaFull();
    return done;
}

bool CEditFormula::Backspace() {
    TakeSelection();
    const bool done = m_model.Backspace();
    Show(done);
    return done;
}

bool CEditFormula::Check() {
    SetValid(FormulaEditModel::CheckFormula(m_model.Formula()));
    return m_valid;
}

void CEditFormula::SetValid(bool valid) {
    m_valid = valid;
    QPalette p = palette();
    p.setColor(QPalette::Base,
               valid ? QApplication::palette(this).color(QPalette::Base) : InvalidColor());
    setPalette(p);
}

void CEditFormula::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return event->ignore();  // the dialog's OK, Cancel and focus keys
        case Qt::Key_Backspace:
            Backspace();
            return event->accept();
        case Qt::Key_Left:
            TakeSelection();
            m_model.MoveLeft();
            Show(false);
            return event->accept();
        case Qt::Key_Right:
            TakeSelection();
            m_model.MoveRight();
            Show(false);
            return event->accept();
        default:
            break;
    }
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && text.size() == 1 && text[0].unicode() < 128 &&
        FormulaEditModel::IsAcceptedChar(char(text[0].unicode()))) {
        TakeSelection();
        const bool done = m_model.InsertChar(char(text[0].unicode()), true);
        Show(done);
        if (!done) emit formulaFull();
    } else if (plain && !text.isEmpty() && text[0].isPrint() && !CAnsiValidator::IsAnsiText(text)) {
        CAnsiValidator::ShowRefusedNote(this);
    }
    // Everything else (Delete, Home, End, Up, Down, the clipboard keys, other characters) is
    // dropped, so that no edit can bypass the model.
    event->accept();
}

void CEditFormula::mouseReleaseEvent(QMouseEvent* event) {
    // A middle click would paste the selection clipboard past the model.
    if (event->button() == Qt::MiddleButton) return event->accept();
    QLineEdit::mouseReleaseEvent(event);
    TakeSelection();
    m_model.ClickSelection(m_model.SelectionStart(), m_model.SelectionEnd());
    Show(false);
}

void CEditFormula::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    TakeSelection();
    m_model.ClickSelection(m_model.SelectionStart(), m_model.SelectionEnd());
    Show(false);
}

void CEditFormula::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    emit activated(this);
}

void CEditFormula::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void CEditFormula::inputMethodEvent(QInputMethodEvent* event) {
    // Composed text would bypass the model; a character the file cannot hold is noted.
    if (!CAnsiValidator::IsAnsiText(event->commitString())) CAnsiValidator::ShowRefusedNote(this);
    event->accept();
}

}  // namespace quillon
