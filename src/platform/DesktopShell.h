#pragma once
// What the program asks of the desktop: show a file in the file manager and
// open a folder, a document or a web address with the user's default
// program. The desktop program uses the real desktop; tests record.
//
// Threads: main thread only.

#include <QString>
#include <QUrl>

class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    // The file manager showing the folder of `path` with the file selected.
    virtual void ShowFileInFolder(const QString& path) = 0;
    // A folder, document or web address with its default program.
    virtual void Open(const QUrl& url) = 0;
};
