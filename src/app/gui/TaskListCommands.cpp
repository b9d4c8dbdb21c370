#include "app/gui/TaskListCommands.h"

#include "app/gui/DownloadTaskList.h"
#include "ui/CommandTable.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QList>

namespace {
QAbstractItemView* ViewOf(const DownloadTaskList& list) {
    return qobject_cast<QAbstractItemView*>(list.View());
}

int RowCount(const DownloadTaskList& list) {
    return ViewOf(list)->model()->rowCount();
}

QList<int> SelectedRows(const DownloadTaskList& list) {
    QList<int> rows;
    for (const QModelIndex& index : ViewOf(list)->selectionModel()->selectedIndexes())
        if (!rows.contains(index.row()))
            rows << index.row();
    return rows;
}
} // namespace

namespace TaskListCommands {
void Register(CommandTable& c, DownloadTaskList& list) {
    DownloadTaskList* l = &list;
    c.Add(
        StartAll, [l] { return l->CanStartAll(); }, [l] { l->StartAll(); });
    c.Add(
        StartSelected, [l] { return l->CanStartSelected(); }, [l] { l->StartSelected(); });
    c.Add(
        Stop, [l] { return l->CanStop(); }, [l] { l->Stop(); });
    c.Add(
        StopAsking, [l] { return l->CanStop(); }, [l] { l->StopAskingFirst(); });
    c.Add(
        Paste, [l] { return l->CanPaste(); }, [l] { l->PasteFromClipboard(); });
    // Rows cannot be removed while a batch runs.
    c.Add(
        RemoveSelected, [l] { return !l->IsDownloading() && !SelectedRows(*l).isEmpty(); },
        [l] { l->RemoveRows(SelectedRows(*l)); });
    c.Add(
        RemoveAll, [l] { return !l->IsDownloading() && RowCount(*l) > 0; },
        [l] {
            QList<int> all;
            for (int r = 0; r < RowCount(*l); ++r)
                all << r;
            l->RemoveRows(all);
        });
    c.Add(
        SelectAll, [l] { return SelectedRows(*l).size() < RowCount(*l); }, [l] { ViewOf(*l)->selectAll(); });
}
} // namespace TaskListCommands
