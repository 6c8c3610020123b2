#pragma once
/// How the program asks the user: message boxes, Yes/No and Yes/No/Cancel questions with the exact
/// captions and texts, and the file dialogs. The GUI answers with real dialogs; tests script the
/// answers.

#include <string>
#include <vector>

#include "platform/Result.h"

namespace quillon {

enum class PromptAnswer { Yes, No, Cancel, Ok };

/// What a file dialog shows: its caption, the folder it starts in (empty: where the platform's
/// dialog last was), a proposed file name and a filter in the form "Data Logs (*.dl *.dlz)",
/// several joined with ";;". Paths are UTF-8.
struct FileDialogRequest {
    std::string caption;
    std::string folder;
    std::string fileName;
    std::string filter;
};

class IPrompt {
public:
    virtual ~IPrompt() = default;
    /// A message box with an OK button.
    virtual void Message(const std::string& caption, const std::string& text) = 0;
    /// A message box that tells of a failure, worded by the user interface from the result.
    virtual void ShowFailure(const Result& failure) = 0;
    /// A Yes/No question worded by the user interface from a failure (a log of another layout:
    /// whether to run the converter).
    virtual PromptAnswer QuestionAboutFailure(const Result& failure) = 0;
    /// A Yes/No question; any answer but No carries the command out.
    virtual PromptAnswer Question(const std::string& caption, const std::string& text) = 0;
    /// A Yes/No/Cancel question (save changes before going on).
    virtual PromptAnswer QuestionWithCancel(const std::string& caption,
                                            const std::string& text) = 0;
    /// An open dialog for one existing file; empty on Cancel.
    virtual std::string OpenFileName(const FileDialogRequest& request) = 0;
    /// An open dialog that selects any number of existing files; empty on Cancel.
    virtual std::vector<std::string> OpenFileNames(const FileDialogRequest& request) = 0;
    /// A save dialog; empty on Cancel.
    virtual std::string SaveFileName(const FileDialogRequest& request) = 0;
};

}  // namespace quillon
