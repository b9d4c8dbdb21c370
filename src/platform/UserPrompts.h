#pragma once
// Questions and notices the core puts to the user. The desktop program shows
// message boxes and dialogs; the command-line front end prints; tests record.
//
// Threads: may be called from the worker thread; an implementation that
// needs the GUI thread must marshal the call and block until it is answered.

#include <QString>

#include <optional>

class UserPrompts {
  public:
    enum class Icon { None, Information, Warning, Question, Error };
    enum class Answer { Yes, No, Cancel };
    virtual ~UserPrompts() = default;
    // A message box with an OK button; returns when the user closed it.
    virtual void ShowMessage(const QString& text, Icon icon = Icon::None) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const QString& text) { return false; }
    // A Yes/No/Cancel question. Without its own box, a Yes/No question.
    virtual Answer AskYesNoCancel(const QString& text) { return AskYesNo(text) ? Answer::Yes : Answer::No; }
    // A folder picker; nullopt when cancelled.
    virtual std::optional<QString> PickFolder(const QString& title, const QString& start) {
        return std::nullopt;
    }
};

// The process-wide prompts. Without one installed, messages go to the log.
UserPrompts& Prompts();
void SetUserPrompts(UserPrompts* prompts);
