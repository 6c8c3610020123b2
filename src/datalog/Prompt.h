#pragma once
/// How the core asks the user: message boxes and Yes/No questions with the exact captions and
/// texts. The GUI answers with message boxes; tests and the command-line tool script the answers.

#include <string>

namespace quillon {

enum class PromptAnswer { Yes, No, Cancel, Ok };

class IPrompt {
public:
    virtual ~IPrompt() = default;
    /// A message box with an OK button.
    virtual void Message(const std::string& caption, const std::string& text) = 0;
    /// A Yes/No question; any answer but No carries the command out.
    virtual PromptAnswer Question(const std::string& caption, const std::string& text) = 0;
};

/// Answers every question with a fixed answer and records what was asked.
class ScriptedPrompt : public IPrompt {
public:
    explicit ScriptedPrompt(PromptAnswer answer = PromptAnswer::No) : m_answer(answer) {}
    void Message(const std::string& caption, const std::string& text) override {
        lastCaption = caption;
        lastText = text;
        ++messages;
    }
    PromptAnswer Question(const std::string& caption, const std::string& text) override {
        lastCaption = caption;
        lastText = text;
        ++questions;
        return m_answer;
    }
    void SetAnswer(PromptAnswer answer) { m_answer = answer; }

    std::string lastCaption;
    std::string lastText;
    int messages = 0;
    int questions = 0;

private:
    PromptAnswer m_answer;
};

}  // namespace quillon
