#pragma once
// The task list's numbered commands (start, stop, paste, remove, select,
// check, open the containing folder) with their enabled tests, registered
// in the window's command table.
//
// Threads: main thread only.

#include <QString>

#include <functional>

class CommandTable;
class DesktopShell;
class DownloadTaskList;
struct DownloadTask;

namespace TaskListCommands {
// What the commands need from the window beyond the list.
struct Hooks {
    std::function<bool()> previewPlaying; // rows are not removed while it plays
    // False while the history list hides the task list: its selected rows
    // are then not removed.
    std::function<bool()> taskListInFront;
    std::function<DesktopShell&()> shell;
};

void Register(CommandTable& commands, DownloadTaskList& list, Hooks hooks);

// A path that names a regular file this process can open for reading.
bool IsReadableFile(const QString& path);
// The readable local file of the one selected row; null when that is not the case.
const DownloadTask* SelectedLocalFile(const DownloadTaskList& list);
} // namespace TaskListCommands
