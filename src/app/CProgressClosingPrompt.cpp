#include "app/CProgressClosingPrompt.h"

#include "app/CProgressWindow.h"

namespace quillon {

void CProgressClosingPrompt::CloseProgress() {
    if (m_progress) m_progress->CloseForPrompt();
}

void CProgressClosingPrompt::Message(const std::string& caption, const std::string& text) {
    CloseProgress();
    m_inner.Message(caption, text);
}

PromptAnswer CProgressClosingPrompt::Question(const std::string& caption, const std::string& text) {
    CloseProgress();
    return m_inner.Question(caption, text);
}

PromptAnswer CProgressClosingPrompt::QuestionWithCancel(const std::string& caption,
                                                        const std::string& text) {
    CloseProgress();
    return m_inner.QuestionWithCancel(caption, text);
}

std::string CProgressClosingPrompt::OpenFileName(const FileDialogRequest& request) {
    CloseProgress();
    return m_inner.OpenFileName(request);
}

std::vector<std::string> CProgressClosingPrompt::OpenFileNames(const FileDialogRequest& request) {
    CloseProgress();
    return m_inner.OpenFileNames(request);
}

std::string CProgressClosingPrompt::SaveFileName(const FileDialogRequest& request) {
    CloseProgress();
    return m_inner.SaveFileName(request);
}

}  // namespace quillon
