#include "app/history/HistoryList.h"

#include "app/history/HistoryListView.h"

#include <QItemSelectionModel>

HistoryList::HistoryList(QWidget* viewParent)
    : model_(new HistoryListModel(this)), view_(new HistoryListView(viewParent)) {
    view_->setModel(model_);
    connect(view_, &QObject::destroyed, this, [this] { view_ = nullptr; });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HistoryList::UpdatePreview);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &HistoryList::UpdatePreview);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { previewed_ = nullptr; });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (previewed_ && model_->RowOf(previewed_) < 0)
            previewed_ = nullptr;
    });
    connect(view_, &HistoryListView::rowDoubleClicked, this, [this](int row) {
        if (DownloadTask* task = model_->Task(row))
            Q_EMIT playTaskRequested(task);
    });
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { Q_EMIT contextMenuRequested(view_->viewport()->mapToGlobal(pos)); });
}

HistoryList::~HistoryList() {
    if (view_ && !view_->parent())
        delete view_; // a view no window adopted
}

void HistoryList::UpdatePreview() {
    if (!view_)
        return;
    const QModelIndex current = view_->selectionModel()->currentIndex();
    const DownloadTask* task = nullptr;
    if (current.isValid() && view_->selectionModel()->isRowSelected(current.row()))
        task = model_->Task(current.row());
    else if (view_->selectionModel()->hasSelection())
        return; // another row is selected: the preview keeps what it shows
    if (task == previewed_)
        return;
    previewed_ = task;
    Q_EMIT showTaskInPreviewRequested(const_cast<DownloadTask*>(task));
}

QWidget* HistoryList::View() const {
    return view_;
}

void HistoryList::Clear() {
    for (int row = 0; row < model_->TaskCount(); ++row)
        Q_EMIT taskAboutToBeRemoved(model_->Task(row));
    model_->Clear();
}

QList<int> HistoryList::SelectedRows() const {
    return view_ ? view_->SelectedRows() : QList<int>();
}

DownloadTask* HistoryList::SingleSelectedTask() const {
    const QList<int> rows = SelectedRows();
    return rows.size() == 1 ? model_->Task(rows.first()) : nullptr;
}

void HistoryList::RemoveSelected(const std::function<void(DownloadTask&)>& each) {
    // Rows below a removed one move up by one, so every later pick is the
    // first selected row again.
    for (QList<int> rows = SelectedRows(); !rows.isEmpty(); rows = SelectedRows()) {
        std::unique_ptr<DownloadTask> task = model_->TakeRow(rows.first());
        if (!task)
            break;
        Q_EMIT taskAboutToBeRemoved(task.get());
        if (each)
            each(*task);
    }
}
