#include "gui/dialogs/CAnsiValidator.h"

#include <QLineEdit>
#include <QToolTip>

#include "gui/common/AnsiText.h"

namespace quillon {

bool CAnsiValidator::IsAnsiChar(QChar ch) {
    if (ch.unicode() == 0) return false;  // would end the text early in the file
    if (ch == u'?') return true;
    return ToAnsi(QString(ch)) != "?";
}

bool CAnsiValidator::IsAnsiText(const QString& text) {
    for (QChar ch : text)
        if (!IsAnsiChar(ch)) return false;
    return true;
}

QValidator::State CAnsiValidator::validate(QString& input, int&) const {
    return IsAnsiText(input) ? Acceptable : Invalid;
}

const char* const CAnsiValidator::kRefusedNote =
    "This text is stored in single bytes (Windows-1252): that character cannot be kept.";

void CAnsiValidator::Attach(QLineEdit* edit) {
    edit->setValidator(new CAnsiValidator(edit));
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [edit] {
        // A refused length (the field's limit) needs no note; a refused character does.
        if (edit->text().size() < edit->maxLength()) ShowRefusedNote(edit);
    });
}

void CAnsiValidator::ShowRefusedNote(QWidget* field) {
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                       QString::fromLatin1(kRefusedNote), field);
}

}  // namespace quillon
