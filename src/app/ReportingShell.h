#pragma once
// The window's view of the desktop: every request goes on to the shell the
// window was given, and one that no program answered is reported (the
// window says so in its status line) instead of doing nothing visible.
//
// Threads: main thread only.

#include "platform/DesktopShell.h"

#include <functional>
#include <utility>

class ReportingShell : public DesktopShell {
  public:
    // `report` is told what could not be shown or opened, as the user knows
    // it (a path or an address); it may be called after this object is gone
    // (a file manager answers late), so it must guard what it reaches.
    ReportingShell(std::function<DesktopShell&()> inner, std::function<void(const QString&)> report)
        : inner_(std::move(inner)), report_(std::move(report)) {}

    void ShowFileInFolder(const QString& path, Answered answered = {}) override {
        inner_().ShowFileInFolder(path, [report = report_, path, answered](bool ok) {
            if (!ok)
                report(path);
            if (answered)
                answered(ok);
        });
    }
    bool Open(const QUrl& url) override {
        const bool ok = inner_().Open(url);
        if (!ok)
            report_(url.toDisplayString(QUrl::PreferLocalFile));
        return ok;
    }

  private:
    std::function<DesktopShell&()> inner_;
    std::function<void(const QString&)> report_;
};
