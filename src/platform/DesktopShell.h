#pragma once
// What the program asks of the desktop: show a file in the file manager and
// open a folder, a document or a web address with the user's default
// program. Each request tells whether anything on the desktop answered, so
// the window can say so instead of doing nothing visible. The desktop
// program uses the real desktop; tests record.
//
// Threads: main thread only.

#include <QString>
#include <QUrl>

#include <functional>

class DesktopShell {
  public:
    // Told once whether a program took the request.
    using Answered = std::function<void(bool answered)>;

    virtual ~DesktopShell() = default;
    // The file manager showing the folder of `path` with the file selected
    // (or, without one that can select, the folder). `answered` may be told
    // later, from the event loop.
    virtual void ShowFileInFolder(const QString& path, Answered answered = {}) = 0;
    // A folder, document or web address with its default program; false
    // when no program could be started for it.
    virtual bool Open(const QUrl& url) = 0;
};
