#include "gui/dialogs/CAnsiValidator.h"

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

}  // namespace quillon
