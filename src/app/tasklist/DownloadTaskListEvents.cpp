// The task list's handling of the worker's notifications and the end of a
// batch (beep, power-off).

#include "base/AppSettings.h"
#include "base/Localization.h"
#include "app/tasklist/DownloadTaskList.h"
#include "ui/GuiMessageTarget.h"
#include "base/TextFill.h"
#include "app/tasklist/TaskListText.h"
#include "history/HistoryDb.h"
#include "platform/PowerControl.h"
#include "platform/UserPrompts.h"
#include "retrieval/DownloadWorker.h"

bool DownloadTaskList::event(QEvent* event) {
    if (event->type() != PostedMessageEvent::EventType())
        return QObject::event(event);
    const auto* m = static_cast<const PostedMessageEvent*>(event);
    const int lParamRow = static_cast<int>(m->lParam);
    switch (m->msg) {
    case UM_DOWNLOAD_PROGRESS:
        OnDownloadProgress(static_cast<int>(m->wParam), lParamRow);
        break;
    case UM_DOWNLOAD_ITEM_DONE:
        OnDownloadItemDone(lParamRow);
        break;
    case UM_DOWNLOAD_STATUS:
        OnDownloadStatus(DownloadStatus::CodeOf(m->lParam), DownloadStatus::RowOf(m->lParam), m->text);
        break;
    case UM_DOWNLOAD_ALL_DONE:
        OnDownloadAllDone();
        break;
    case UM_DOWNLOAD_RETRY:
        OnDownloadRetry(static_cast<int>(m->wParam), lParamRow);
        break;
    case UM_DOWNLOAD_STOPPED:
        OnDownloadStopped();
        break;
    case UM_DOWNLOAD_TITLE:
        OnDownloadTitle(static_cast<int>(m->wParam));
        break;
    default:
        break;
    }
    return true;
}

void DownloadTaskList::OnDownloadProgress(int perMille, int row) {
    if (row < 0 || !worker_ || !downloading_)
        return;
    model_->SetProgress(row, perMille);
    model_->SetCellText(row, TaskListModel::StatusColumn, TaskListText::Progress(perMille));
    model_->SetProgressOn(row, true);
    const DownloadWorker::ItemState state = worker_->Snapshot();
    SetStatusText(FillFormat(LoadText(32827), {state.mediaAddress.left(100),
                                                       TaskListText::GroupedCount(worker_->receivedBytes),
                                                       TaskListText::GroupedCount(worker_->totalBytes)}));
}

void DownloadTaskList::OnDownloadStatus(int code, int row, const std::optional<QString>& text) {
    if (row < 0 || !worker_)
        return;
    if (!downloading_) {
        downloading_ = true;
        RefreshToolbar();
    }
    model_->SetProgressOn(row, false);
    const QString shown = text ? *text : DownloadWorker::StatusText(code);
    const DownloadWorker::ItemState state = worker_->RowSnapshot(row).value_or(worker_->Snapshot());
    if (code >= 200) {
        model_->SetCellText(row, TaskListModel::StatusColumn, shown, TaskListModel::AlertColour());
        SetStatusText(FillFormat(LoadText(32831), {state.lastError}));
    } else {
        model_->SetCellText(row, TaskListModel::StatusColumn, shown);
        SetStatusText(shown);
    }
    // The worker waits for the dialog's answer without limit.
    if (code == DownloadStatus::CaptchaRequired) {
        ShowBrowserDialog(code, state.captchaAddress);
        worker_->captchaDone.Set();
    } else if (code == DownloadStatus::SignInRequired) {
        ShowBrowserDialog(code, state.signInAddress);
        worker_->signInDone.Set();
    }
}

void DownloadTaskList::ShowBrowserDialog(int code, const QString& address) {
    if (browserDialog_)
        browserDialog_(code, address);
    else
        prompts_.ShowMessage(address, UserPrompts::Icon::Information);
}

void DownloadTaskList::OnDownloadRetry(int retry, int row) {
    if (row < 0 || !worker_)
        return;
    const QString text = FillFormat(LoadText(32832), {QString::number(retry)});
    model_->SetProgressOn(row, false);
    model_->SetCellText(row, TaskListModel::StatusColumn, text);
    SetStatusText(text);
}

void DownloadTaskList::OnDownloadTitle(int row) {
    if (!worker_ || row < 0)
        return;
    const DownloadWorker::ItemState state = worker_->RowSnapshot(row).value_or(worker_->Snapshot());
    model_->SetCellText(row, TaskListModel::TitleColumn, state.title);
}

void DownloadTaskList::OnDownloadItemDone(int row) {
    if (row < 0 || !worker_)
        return;
    model_->SetCellText(row, TaskListModel::StatusColumn, QString());
    model_->SetProgressOn(row, false);
    if (CountHistory(history_) <= 0)
        Q_EMIT showSiteTreeRequested();
    // Read by row: the worker may already have moved on to the next item.
    const std::optional<DownloadWorker::ItemState> state = worker_->RowSnapshot(row);
    if (state && !state->finalPath.isEmpty())
        FillRowFromFile(state->finalPath, row, state->site, state->pageUrl);
    ShowTaskInPreview();
    model_->SetChecked(row, false);
    if (DownloadTask* task = model_->Task(row))
        task->state = DownloadTask::LocalFile;
}

void DownloadTaskList::OnDownloadAllDone() {
    downloading_ = false;
    RefreshToolbar();
    ShowTaskInPreview();
    if (beep_)
        beep_();
    if (settings_.ShutdownFlag)
        PowerOff();
}

void DownloadTaskList::OnDownloadStopped() {
    downloading_ = false;
    RefreshToolbar();
    ShowTaskInPreview();
}

void DownloadTaskList::PowerOff() {
    const QString refused = power_.PowerOff();
    if (!refused.isEmpty())
        prompts_.ShowMessage(refused, UserPrompts::Icon::Error);
    Q_EMIT quitRequested();
}
