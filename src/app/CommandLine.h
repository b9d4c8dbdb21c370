#pragma once
// What the desktop program was started with: the addresses and files to
// open (as if dropped on the task list), or a question (--help, --version)
// answered on the terminal without opening a window.
//
// Threads: a pure function, any thread.

#include <QString>
#include <QStringList>

struct StartRequest {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // Web addresses as given, local files as absolute paths (a file: address
    // becomes its path; a relative path is taken from `workingFolder`).
    QStringList items;
    // Help or version text for stdout, an error for stderr.
    QString text;
    // An Error found before the application object existed: the option may
    // still be one of Qt's own (-platform, -display, ...).
    bool maybeToolkitOption = false;
};

// `arguments` without the program name. `beforeApplication`: Qt has not yet
// taken its own options (-platform, -display, ...) out of the list, so an
// unknown option is only maybe an error.
StartRequest ParseCommandLine(const QStringList& arguments, const QString& workingFolder,
                              bool beforeApplication);

// The text `zorv --help` prints.
QString DesktopUsage();
