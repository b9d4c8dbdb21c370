#pragma once
// The task list's numbered commands (start, stop, paste, remove, select)
// with their enabled tests, registered in the window's command table.
//
// Threads: main thread only.

class CommandTable;
class DownloadTaskList;

namespace TaskListCommands {
inline constexpr int StartAll = 32855, StartSelected = 32835, Stop = 32856, StopAsking = 32836;
inline constexpr int Paste = 57637, RemoveSelected = 32828, RemoveAll = 32829, SelectAll = 57642;

void Register(CommandTable& commands, DownloadTaskList& list);
} // namespace TaskListCommands
