#pragma once
/// A prompt whose answers a test scripts.

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "document/Prompt.h"

namespace quillon {

/// Answers from queues that a test fills, and records everything that was asked. An empty answer
/// queue falls back to the fixed answer (questions) or to Cancel (file dialogs).
class ScriptedPrompt : public IPrompt {
public:
    struct Asked {
        std::string kind;  // "message", "failure", "question", "failurequestion", "question3",
                           // "open", "openmany", "save"
        std::string caption;
        std::string text;  // the message or question, or the dialog's folder and file name
    };

    explicit ScriptedPrompt(PromptAnswer answer = PromptAnswer::No) : m_answer(answer) {}

    void Message(const std::string& caption, const std::string& text) override {
        Record("message", caption, text);
        ++messages;
    }
    /// Failures are recorded as they are (kind "failure"); they count as messages.
    void ShowFailure(const Result& failure) override {
        Record("failure", {}, failure.path);
        failures.push_back(failure);
        ++messages;
    }
    PromptAnswer QuestionAboutFailure(const Result& failure) override {
        Record("failurequestion", {}, failure.path);
        failures.push_back(failure);
        ++questions;
        return NextAnswer();
    }
    PromptAnswer Question(const std::string& caption, const std::string& text) override {
        Record("question", caption, text);
        ++questions;
        return NextAnswer();
    }
    PromptAnswer QuestionWithCancel(const std::string& caption, const std::string& text) override {
        Record("question3", caption, text);
        ++questions;
        return NextAnswer();
    }
    std::string OpenFileName(const FileDialogRequest& request) override {
        RecordFile("open", request);
        return NextFiles().empty() ? std::string() : m_lastFiles.front();
    }
    std::vector<std::string> OpenFileNames(const FileDialogRequest& request) override {
        RecordFile("openmany", request);
        return NextFiles();
    }
    std::string SaveFileName(const FileDialogRequest& request) override {
        RecordFile("save", request);
        return NextFiles().empty() ? std::string() : m_lastFiles.front();
    }

    /// The fixed answer given when no queued answer is left.
    void SetAnswer(PromptAnswer answer) { m_answer = answer; }
    /// Queues answers for the next questions, in order.
    void QueueAnswer(PromptAnswer answer) { m_answers.push_back(answer); }
    /// Queues the result of the next file dialog (one path; empty means Cancel).
    void QueueFile(std::string path) {
        m_files.push_back(path.empty() ? std::vector<std::string>{}
                                       : std::vector<std::string>{std::move(path)});
    }
    /// Queues the result of the next multi-select file dialog.
    void QueueFiles(std::vector<std::string> paths) { m_files.push_back(std::move(paths)); }

    std::string lastCaption;
    std::string lastText;
    int messages = 0;
    std::vector<Result> failures;
    int questions = 0;
    int fileDialogs = 0;
    std::vector<Asked> asked;

private:
    void Record(const char* kind, const std::string& caption, const std::string& text) {
        lastCaption = caption;
        lastText = text;
        asked.push_back({kind, caption, text});
    }
    void RecordFile(const char* kind, const FileDialogRequest& request) {
        ++fileDialogs;
        asked.push_back({kind, request.caption, request.folder + "|" + request.fileName});
    }
    PromptAnswer NextAnswer() {
        if (m_answers.empty()) return m_answer;
        const PromptAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    const std::vector<std::string>& NextFiles() {
        m_lastFiles.clear();
        if (!m_files.empty()) {
            m_lastFiles = std::move(m_files.front());
            m_files.pop_front();
        }
        return m_lastFiles;
    }

    PromptAnswer m_answer;
    std::deque<PromptAnswer> m_answers;
    std::deque<std::vector<std::string>> m_files;
    std::vector<std::string> m_lastFiles;
};

}  // namespace quillon
