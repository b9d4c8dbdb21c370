#include "app/tasklist/TaskListView.h"

#include "app/tasklist/TaskListDelegate.h"
#include "app/tasklist/TaskListModel.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "ui/ListColumns.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <algorithm>

namespace {
// Shares of (client width - 22) for columns 0 to 5; column 6 takes the rest.
constexpr double kShares[] = {0.055, 0.25, 0.15, 0.10, 0.15, 0.10};
// The widest texts the short columns usually show.
constexpr const char* kSamples[] = {"", "", "00:00:00", "Online", "1280x720", "30 fps"};

bool Acceptable(const QMimeData* data) {
    return data && (data->hasUrls() || data->hasText());
}
} // namespace

TaskListView::TaskListView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TaskListDelegate(this));
    setShowGrid(false);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(26);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    setProperty("elidedColumn", TaskListModel::TitleColumn);
}

QList<int> TaskListView::SelectedRows() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TaskListView::Retranslate() {
    // The model reads its header texts from the language on every request.
    if (QAbstractItemModel* rows = model(); rows && rows->columnCount() > 0)
        Q_EMIT rows->headerDataChanged(Qt::Horizontal, 0, rows->columnCount() - 1);
    FitColumns();
}

void TaskListView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    FitColumns();
}

void TaskListView::FitColumns() {
    // The title gives way first when the list is narrow.
    // The status column shows the download steps whole; the title is
    // shortened in its middle and shown whole in its tool tip.
    QStringList steps;
    for (int id :
         {TextId::ReadingVideoPage, TextId::VideoPageRead, TextId::ReadingVideoInfo, TextId::DownloadingVideo,
          TextId::VideoDownloaded, TextId::DownloadCompleted, TextId::DownloadStopped})
        steps << LoadText(id);
    FitListColumns(*this, kShares, kSamples, TaskListModel::TitleColumn, steps);
}

void TaskListView::dragEnterEvent(QDragEnterEvent* event) {
    if (Acceptable(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TaskListView::dragMoveEvent(QDragMoveEvent* event) {
    if (Acceptable(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TaskListView::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!Acceptable(data)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Files win over the text a file manager also offers (their addresses).
    QStringList files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    if (!files.isEmpty())
        Q_EMIT filesDropped(files);
    else if (data->hasText())
        Q_EMIT textDropped(data->text());
}

void TaskListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    if (index.column() == TaskListModel::CheckColumn) {
        QStyleOptionViewItem option;
        option.rect = visualRect(index);
        if (TaskListDelegate::CheckRect(option).contains(event->position().toPoint())) {
            QTableView::mouseDoubleClickEvent(event);
            return;
        }
    }
    QTableView::mouseDoubleClickEvent(event);
    Q_EMIT rowDoubleClicked(index.row());
}

void TaskListView::keyPressEvent(QKeyEvent* event) {
    // Space toggles the current row's check box as a click on it would.
    if (event->key() == Qt::Key_Space && currentIndex().isValid() && model()) {
        const QModelIndex check = model()->index(currentIndex().row(), TaskListModel::CheckColumn);
        const bool checked = check.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(check, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return;
    }
    QTableView::keyPressEvent(event);
}
