#pragma once
/// The viewer's answer to every question: modal message boxes with the exact captions and texts
/// and the platform's file dialogs, owned by the main window, or the answers of a prompt that the
/// application was given (tests). Before each question it closes the progress window, which would
/// otherwise stand over the question, modal, and take its clicks and keys. In quiet mode
/// (screenshots) messages go to stderr, every question is answered No and every file dialog is
/// cancelled.

#include <QPointer>
#include <QWidget>

#include "document/Prompt.h"

namespace quillon {

class CProgressWindow;

class CMessageBoxPrompt : public IPrompt {
public:
    /// With `scripted`, every question goes to it instead of a dialog.
    explicit CMessageBoxPrompt(IPrompt* scripted = nullptr) : m_scripted(scripted) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    void SetProgressWindow(CProgressWindow* progress) { m_progress = progress; }
    void SetQuiet(bool quiet) { m_quiet = quiet; }
    bool IsQuiet() const { return m_quiet; }

    void Message(const std::string& caption, const std::string& text) override;
    /// The failure's caption and text (MessageForFailure), its reason as a second paragraph.
    void ShowFailure(const Result& failure) override;
    PromptAnswer QuestionAboutFailure(const Result& failure) override;
    PromptAnswer Question(const std::string& caption, const std::string& text) override;
    PromptAnswer QuestionWithCancel(const std::string& caption, const std::string& text) override;
    std::string OpenFileName(const FileDialogRequest& request) override;
    std::vector<std::string> OpenFileNames(const FileDialogRequest& request) override;
    std::string SaveFileName(const FileDialogRequest& request) override;

private:
    void CloseProgress();

    IPrompt* m_scripted = nullptr;
    CProgressWindow* m_progress = nullptr;
    QPointer<QWidget> m_owner;
    bool m_quiet = false;
};

}  // namespace quillon
