#pragma once
/// The viewer's answer to every question: modal message boxes with the exact captions and texts
/// and the platform's file dialogs, owned by the main window. In quiet mode (screenshots) messages
/// go to stderr, every question is answered No and every file dialog is cancelled.

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
    PromptAnswer QuestionWithCancel(const std::string& caption, const std::string& text) override;
    std::string OpenFileName(const FileDialogRequest& request) override;
    std::vector<std::string> OpenFileNames(const FileDialogRequest& request) override;
    std::string SaveFileName(const FileDialogRequest& request) override;

private:
    QPointer<QWidget> m_owner;
    bool m_quiet = false;
};

}  // namespace quillon
