#pragma once
// The history list's numbered commands with their enabled tests: open the
// containing folder of an entry's file, remove the selected entries (from
// the list and the database), open an entry's video page.
//
// Threads: main thread only.

#include <functional>

class CommandTable;
class DesktopShell;
class HistoryList;
class SiteTreePanel;

namespace HistoryCommands {
void Register(CommandTable& commands, HistoryList& list, SiteTreePanel& siteTree,
              std::function<DesktopShell&()> shell);
} // namespace HistoryCommands
