#pragma once
// The desktop's own file manager and default programs: a file is shown
// selected through the freedesktop file-manager interface on the session
// bus; where no file manager answers, its folder is opened instead.
//
// Threads: main thread only.

#include "platform/DesktopShell.h"

class SystemShell : public DesktopShell {
  public:
    void ShowFileInFolder(const QString& path, Answered answered = {}) override;
    bool Open(const QUrl& url) override;

    // The process's shell.
    static SystemShell& Instance();
};
