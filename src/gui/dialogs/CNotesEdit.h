#pragma once
/// The multi-line notes box of the General page: at most a given number of bytes as stored in the
/// log (a line break is stored as CR LF and counts two), Windows-1252 characters only. Refused
/// input beeps and changes nothing.

#include <QPlainTextEdit>

namespace quillon {

class CNotesEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CNotesEdit(int limit, QWidget* parent = nullptr);

    /// The log's bytes as text (CR LF shown as one line break) and back.
    void SetAnsiText(const std::string& bytes);
    std::string AnsiText() const;
    /// Bytes the current text takes in the log.
    static int StoredLength(const QString& text);
    int Limit() const { return m_limit; }
    int RefusedCount() const { return m_refused; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    /// Inserts text at the cursor if the result stays within the limit and the code page.
    bool InsertChecked(const QString& text);
    void Refuse();

    int m_limit;
    int m_refused = 0;
};

}  // namespace quillon
