#pragma once
/// The viewer's answer to the core's questions: modal message boxes with the exact captions and
/// texts, owned by the main window. In quiet mode (screenshots) messages go to stderr and every
/// question is answered No.

#include <QPointer>
#include <QWidget>

#include "datalog/Prompt.h"

namespace quillon {

class CMessageBoxPrompt : public IPrompt {
public:
    void SetOwner(QWidget* owner) { m_owner = owner; }
    void SetQuiet(bool quiet) { m_quiet = quiet; }
    bool IsQuiet() const { return m_quiet; }

    void Message(const std::string& caption, const std::string& text) override;
    PromptAnswer Question(const std::string& caption, const std::string& text) override;

private:
    QPointer<QWidget> m_owner;
    bool m_quiet = false;
};

}  // namespace quillon
