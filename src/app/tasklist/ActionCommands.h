#pragma once
// The media action commands (save the marked range, convert to MP3, M4A or
// MP4) on the one selected file of the list in front: a finished task row
// or a history entry. Each starts a row of its own in the task list.
//
// Threads: the window's thread only.

#include "mediatools/MediaAction.h"

#include <functional>
#include <optional>

class AppSettings;
class CommandTable;
class DownloadTaskList;
struct DownloadTask;

namespace ActionCommands {
// The file the commands act on; null when none is selected.
using SelectedFile = std::function<const DownloadTask*()>;

void Register(CommandTable& commands, DownloadTaskList& list, const AppSettings& settings,
              SelectedFile selected);

// The range the preview marked on `task`: none when the marks hold the whole
// file (or nothing).
std::optional<MediaRange> MarkedRange(const DownloadTask& task);
} // namespace ActionCommands
