#include "app/history/HistoryCommands.h"

#include "app/history/HistoryList.h"
#include "app/history/SiteTreePanel.h"
#include "app/tasklist/TaskListCommands.h"
#include "base/CommandIds.h"
#include "platform/DesktopShell.h"
#include "platform/ParseUrl.h"
#include "ui/CommandTable.h"

namespace {
const DownloadTask* SelectedFile(const HistoryList& list) {
    const DownloadTask* task = list.SingleSelectedTask();
    return task && TaskListCommands::IsReadableFile(task->location) ? task : nullptr;
}

// The stored page address is handed to the desktop only as a web address:
// the history file is plain data anyone can edit.
const DownloadTask* SelectedPage(const HistoryList& list) {
    const DownloadTask* task = list.SingleSelectedTask();
    if (!task)
        return nullptr;
    const std::optional<UrlParts> parts = ParseUrl(task->siteUrl);
    if (!parts || (parts->scheme != QLatin1String("http") && parts->scheme != QLatin1String("https")))
        return nullptr;
    return task;
}
} // namespace

namespace HistoryCommands {
void Register(CommandTable& c, HistoryList& list, SiteTreePanel& siteTree,
              std::function<DesktopShell&()> shell) {
    HistoryList* l = &list;
    SiteTreePanel* tree = &siteTree;
    c.Add(
        CommandId::HistoryOpenContainingFolder, [l] { return SelectedFile(*l) != nullptr; },
        [l, shell] {
            if (const DownloadTask* task = SelectedFile(*l))
                shell().ShowFileInFolder(task->location);
        });
    c.Add(
        CommandId::HistoryRemoveSelected, [l] { return !l->SelectedRows().isEmpty(); },
        [l, tree] { l->RemoveSelected([tree](DownloadTask& task) { tree->DeleteHistoryEntry(task); }); });
    c.Add(
        CommandId::HistoryOpenVideoPage, [l] { return SelectedPage(*l) != nullptr; },
        [l, shell] {
            if (const DownloadTask* task = SelectedPage(*l))
                shell().Open(QUrl(task->siteUrl));
        });
}
} // namespace HistoryCommands
