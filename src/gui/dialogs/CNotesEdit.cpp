#include "gui/dialogs/CNotesEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include "gui/common/AnsiText.h"
#include "gui/dialogs/CAnsiValidator.h"

namespace quillon {

CNotesEdit::CNotesEdit(int limit, QWidget* parent) : QPlainTextEdit(parent), m_limit(limit) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void CNotesEdit::SetAnsiText(const std::string& bytes) {
    QString text = FromAnsi(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(text);
}

std::string CNotesEdit::AnsiText() const {
    QString text = toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return ToAnsi(text);
}

int CNotesEdit::StoredLength(const QString& text) {
    return int(text.size() + text.count(u'\n'));
}

void CNotesEdit::Refuse() {
    ++m_refused;
    QApplication::beep();
    CAnsiValidator::ShowRefusedNote(this);
}

bool CNotesEdit::InsertChecked(const QString& text) {
    if (!CAnsiValidator::IsAnsiText(QString(text).remove(u'\n'))) {
        Refuse();
        return false;
    }
    QTextCursor cursor = textCursor();
    // The editor's paragraph separators stand for line breaks.
    QString selected = cursor.selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    const int room = m_limit - (StoredLength(toPlainText()) - StoredLength(selected));
    // Like a length-limited edit box, a paste is cut to what still fits.
    qsizetype n = 0;
    for (int used = 0; n < text.size(); ++n) {
        used += text[n] == u'\n' ? 2 : 1;
        if (used > room) break;
    }
    const QString fitting = text.left(n);
    if (fitting.isEmpty()) {
        Refuse();
        return false;
    }
    cursor.insertText(fitting);
    setTextCursor(cursor);
    return fitting.size() == text.size();
}

void CNotesEdit::keyPressEvent(QKeyEvent* event) {
    const bool newline = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString typed = event->text();
    const bool modified =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (newline && !modified) {
        InsertChecked(QStringLiteral("\n"));
        return;
    }
    if (!modified && !typed.isEmpty() && typed[0].isPrint()) {
        InsertChecked(typed);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);  // caret keys, deletion, shortcuts
}

void CNotesEdit::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) return;
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    InsertChecked(text);
}

}  // namespace quillon
