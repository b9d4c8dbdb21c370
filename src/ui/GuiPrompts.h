#pragma once
// The desktop program's questions and notices: message boxes and the folder
// picker, parented to the active window.
//
// Threads: any thread. A call from another thread is carried out on the
// window's thread, and the caller waits for the answer.

#include "platform/UserPrompts.h"

class GuiPrompts : public UserPrompts {
  public:
    void ShowMessage(const QString& text, Icon icon = Icon::None) override;
    bool AskYesNo(const QString& text) override;
    Answer AskYesNoCancel(const QString& text) override;
    std::optional<QString> PickFolder(const QString& title, const QString& start) override;
};
