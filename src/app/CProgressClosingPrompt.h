#pragma once
/// The prompt that the document and the main window share: it passes every question on to the
/// real prompt after closing the progress window, which would otherwise stand over the question,
/// modal, and take its clicks and keys.

#include "datalog/Prompt.h"

namespace quillon {

class CProgressWindow;

class CProgressClosingPrompt : public IPrompt {
public:
    explicit CProgressClosingPrompt(IPrompt& inner) : m_inner(inner) {}
    void SetProgressWindow(CProgressWindow* progress) { m_progress = progress; }

    void Message(const std::string& caption, const std::string& text) override;
    PromptAnswer Question(const std::string& caption, const std::string& text) override;
    PromptAnswer QuestionWithCancel(const std::string& caption, const std::string& text) override;
    std::string OpenFileName(const FileDialogRequest& request) override;
    std::vector<std::string> OpenFileNames(const FileDialogRequest& request) override;
    std::string SaveFileName(const FileDialogRequest& request) override;

private:
    void CloseProgress();

    IPrompt& m_inner;
    CProgressWindow* m_progress = nullptr;
};

}  // namespace quillon
