#pragma once
/// Refuses typed or pasted characters that a log's single-byte texts (Windows-1252) cannot hold,
/// so that what the user sees is exactly what is written back.

#include <QValidator>

class QLineEdit;
class QWidget;

namespace quillon {

class CAnsiValidator : public QValidator {
    Q_OBJECT
public:
    explicit CAnsiValidator(QObject* parent = nullptr) : QValidator(parent) {}

    /// True when ch has a Windows-1252 byte other than the terminator.
    static bool IsAnsiChar(QChar ch);
    static bool IsAnsiText(const QString& text);

    State validate(QString& input, int& pos) const override;

    /// Gives the field a validator of this kind that also shows kRefusedNote when it refuses
    /// what was typed or pasted.
    static void Attach(QLineEdit* edit);
    /// Shows kRefusedNote as a tooltip under a field.
    static void ShowRefusedNote(QWidget* field);
    static const char* const kRefusedNote;
};

}  // namespace quillon
