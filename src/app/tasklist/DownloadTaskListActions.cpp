// The task list's media actions: a row per action the user starts, the
// progress of every action (also those the session starts after a
// download), and the new file once the action has ended.
#include "app/tasklist/DownloadTaskList.h"
#include "app/tasklist/TaskListText.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"

#include <QFileInfo>

#include <algorithm>

namespace {
QString ResultName(const DownloadTask& source, const MediaAction& action) {
    const QFileInfo original(source.location);
    return MediaActionBaseName(action, original.completeBaseName()) + QLatin1Char('.') +
           MediaActionExtension(action, original.suffix());
}
} // namespace

bool DownloadTaskList::StartMediaAction(const DownloadTask& source, const MediaAction& action) {
    if (!session_ || !action.IsSet() || source.location.isEmpty())
        return false;
    auto task = std::make_unique<DownloadTask>(source);
    task->state = DownloadTask::Acting;
    // The row stands for the new file: it plays the range, or all of it.
    task->markInMs = action.range ? action.range->startMs : 0;
    task->markOutMs = !action.range        ? task->lengthMs
                      : task->lengthMs > 0 ? std::min(action.range->endMs, task->lengthMs)
                                           : action.range->endMs;
    const QString name = ResultName(source, action);
    const int row = model_->AppendTask(std::move(task));
    if (row < 0)
        return false;
    model_->SetCellText(row, TaskListModel::TitleColumn, name);
    // How long the new file plays: the marked range, or the whole original.
    model_->SetCellText(row, TaskListModel::DurationColumn, TaskListText::Duration(*model_->Task(row)));
    model_->SetCellText(row, TaskListModel::StatusColumn, LoadText(TextId::ActionWaiting));
    model_->SetToolTip(row, source.location);
    model_->SetChecked(row, false);
    ActionRequest request;
    request.row = row;
    request.path = source.location;
    request.pageUrl = source.siteUrl.isEmpty() ? source.pageUrl : source.siteUrl;
    request.site = source.site;
    request.siteName = source.siteName;
    request.action = action;
    actionRows_[session_->StartAction(request)] = row;
    SetStatusText(FillFormat(LoadText(TextId::ActionRunning), {name}));
    RefreshToolbar();
    Q_EMIT bringTaskListToFront();
    return true;
}

void DownloadTaskList::OnActionProgress(quint64, int row, int perMille) {
    if (row < 0 || row >= model_->TaskCount())
        return;
    model_->SetProgress(row, perMille);
    model_->SetCellText(row, TaskListModel::StatusColumn, TaskListText::Progress(perMille));
    model_->SetProgressOn(row, true);
}

void DownloadTaskList::OnActionEnded(const ActionRecord& record) {
    const auto own = actionRows_.find(record.id);
    const bool ownRow = own != actionRows_.end();
    if (ownRow)
        actionRows_.erase(own);
    int row = record.request.row;
    DownloadTask* task = row >= 0 ? model_->Task(row) : nullptr;
    RefreshToolbar();
    if (!task)
        return;
    model_->SetProgressOn(row, false);
    const QString name = QFileInfo(record.path.isEmpty() ? record.request.path : record.path).fileName();
    if (!record.done) {
        // The original stays as it was; an action row says why it has no file.
        const QString text = record.stopped ? LoadText(TextId::ActionStopped)
                                            : FillFormat(LoadText(TextId::ActionFailed), {record.error});
        model_->SetCellText(row, TaskListModel::StatusColumn, text, TaskListModel::AlertColour());
        if (ownRow)
            task->state = DownloadTask::Failed;
        SetStatusText(text);
        return;
    }
    if (!record.identified) {
        model_->SetCellText(row, TaskListModel::StatusColumn, LoadText(TextId::NotAVideoShort),
                            TaskListModel::AlertColour());
        SetStatusText(FillFormat(LoadText(TextId::NotAVideo), {record.path}));
        return;
    }
    // An action after a download keeps the download's row for the original
    // unless the original is gone: the result gets a row of its own.
    if (!ownRow && !record.originalRemoved) {
        auto fresh = std::make_unique<DownloadTask>(*task);
        task = fresh.get();
        row = model_->AppendTask(std::move(fresh));
        if (row < 0)
            return;
    }
    model_->SetCellText(row, TaskListModel::StatusColumn, QString());
    model_->SetCellText(row, TaskListModel::TitleColumn, TaskListText::LocalFileTitle(record.path));
    task->siteName = record.request.siteName;
    FillRowFromInfo(record.path, row, nullptr, task, record.info, record.request.site,
                    record.request.pageUrl);
    task->state = DownloadTask::LocalFile;
    if (record.historyTried && !record.historyInserted)
        SetStatusText(FillFormat(LoadText(TextId::HistoryNotWritten), {record.path}));
    else if (task->hasAudio)
        SetStatusText(FillFormat(LoadText(TextId::ActionDone), {name}));
}
