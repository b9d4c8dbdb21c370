#include "app/tasklist/TaskListCommands.h"

#include "app/tasklist/DownloadTaskList.h"
#include "app/tasklist/TaskListView.h"
#include "base/CommandIds.h"
#include "platform/DesktopShell.h"
#include "ui/CommandTable.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

namespace {
int RowCount(const DownloadTaskList& list) {
    return list.Model()->rowCount();
}

} // namespace

namespace TaskListCommands {
const DownloadTask* SelectedLocalFile(const DownloadTaskList& list) {
    const QList<int> rows = list.SelectedRows();
    if (rows.size() != 1)
        return nullptr;
    const DownloadTask* task = list.Model()->Task(rows.first());
    if (!task || task->state != DownloadTask::LocalFile || !IsReadableFile(task->location))
        return nullptr;
    return task;
}

bool IsReadableFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

void Register(CommandTable& c, DownloadTaskList& list, Hooks hooks) {
    DownloadTaskList* l = &list;
    auto playing = [hooks] { return hooks.previewPlaying && hooks.previewPlaying(); };
    auto hidden = [hooks] { return hooks.taskListInFront && !hooks.taskListInFront(); };
    c.Add(
        CommandId::StartAll, [l] { return l->CanStartAll(); }, [l] { l->StartAll(); });
    c.Add(
        CommandId::StartSelected, [l] { return l->CanStartSelected(); }, [l] { l->StartSelected(); });
    c.Add(
        CommandId::Stop, [l] { return l->CanStop(); }, [l] { l->Stop(); });
    c.Add(
        CommandId::StopAsking, [l] { return l->CanStop(); }, [l] { l->StopAskingFirst(); });
    c.Add(
        CommandId::Paste, [l] { return l->CanPaste(); }, [l] { l->PasteFromClipboard(); });
    // Rows cannot be removed while a batch runs or the preview plays.
    c.Add(
        CommandId::RemoveSelected,
        [l, playing, hidden] {
            return !l->IsBusy() && !playing() && !hidden() && !l->SelectedRows().isEmpty();
        },
        [l] { l->RemoveRows(l->SelectedRows()); });
    c.Add(
        CommandId::RemoveAll, [l, playing] { return !l->IsBusy() && !playing() && RowCount(*l) > 0; },
        [l] { l->RemoveAll(); });
    c.Add(
        CommandId::SelectAll, [l] { return l->SelectedRows().size() < RowCount(*l); },
        [l] { l->ListView()->selectAll(); });
    c.Add(
        CommandId::CheckSelected, [l] { return !l->SelectedRows().isEmpty(); },
        [l] { l->CheckSelected(true); });
    c.Add(
        CommandId::UncheckSelected, [l] { return !l->SelectedRows().isEmpty(); },
        [l] { l->CheckSelected(false); });
    c.Add(
        CommandId::OpenContainingFolder, [l] { return SelectedLocalFile(*l) != nullptr; },
        [l, hooks] {
            if (const DownloadTask* task = SelectedLocalFile(*l); task && hooks.shell)
                hooks.shell().ShowFileInFolder(task->location);
        });
}
} // namespace TaskListCommands
