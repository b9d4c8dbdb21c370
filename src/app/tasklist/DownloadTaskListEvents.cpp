// The task list as the session's observer: what the rows and the status line
// show of each report, and the end of a batch (beep, power-off).

#include "app/tasklist/DownloadTaskList.h"
#include "app/tasklist/TaskListText.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "platform/PowerControl.h"
#include "platform/UserPrompts.h"
#include "retrieval/DownloadWorker.h"
#include "ui/GuiMessageTarget.h"

#include <QPointer>

#include <utility>

bool DownloadTaskList::event(QEvent* event) {
    if (event->type() != PostedMessageEvent::EventType())
        return QObject::event(event);
    const auto* m = static_cast<const PostedMessageEvent*>(event);
    if (session_)
        session_->Dispatch(PostedMessage{m->msg, m->wParam, m->lParam, m->text});
    return true;
}

void DownloadTaskList::OnItemProgress(int row, int perMille, quint64 received, quint64 total,
                                      const QString& mediaAddress) {
    if (row < 0 || !downloading_)
        return;
    model_->SetProgress(row, perMille);
    model_->SetCellText(row, TaskListModel::StatusColumn, TaskListText::Progress(perMille));
    model_->SetProgressOn(row, true);
    SetStatusText(FillFormat(
        LoadText(TextId::DownloadingBytes),
        {mediaAddress.left(100), TaskListText::GroupedCount(received), TaskListText::GroupedCount(total)}));
}

void DownloadTaskList::OnItemStatus(int row, int code, const QString& shown, const QString& error) {
    if (row < 0)
        return;
    if (!downloading_) {
        downloading_ = true;
        RefreshToolbar();
    }
    model_->SetProgressOn(row, false);
    // A row whose file turned out to be no video keeps saying so.
    if (const DownloadTask* task = model_->Task(row);
        task && task->state == DownloadTask::Failed && code < 200)
        return;
    if (code >= 200) {
        batchFailedRows_.insert(row); // until a later attempt saves it
        model_->SetCellText(row, TaskListModel::StatusColumn, shown, TaskListModel::AlertColour());
        SetStatusText(FillFormat(LoadText(TextId::DownloadError), {error}));
    } else {
        model_->SetCellText(row, TaskListModel::StatusColumn, shown);
        // "Finished" would hide that the history did not take the file.
        if (!unrecordedRows_.remove(row))
            SetStatusText(shown);
    }
}

void DownloadTaskList::OnDialogNeeded(int, BrowserDialog kind, const QString& address) {
    // The session releases the waiting worker when this returns.
    ShowBrowserDialog(kind == BrowserDialog::Captcha ? DownloadStatus::CaptchaRequired
                                                     : DownloadStatus::SignInRequired,
                      address);
}

void DownloadTaskList::ShowBrowserDialog(int code, const QString& address) {
    if (browserDialog_)
        browserDialog_(code, address);
    else
        prompts_.ShowMessage(address, UserPrompts::Icon::Information);
}

void DownloadTaskList::OnItemRetry(int row, int retry) {
    if (row < 0)
        return;
    const QString text = FillFormat(LoadText(TextId::RetryingDownload), {QString::number(retry)});
    model_->SetProgressOn(row, false);
    model_->SetCellText(row, TaskListModel::StatusColumn, text);
    SetStatusText(text);
}

void DownloadTaskList::OnItemTitle(int row, const QString& title) {
    if (row < 0)
        return;
    model_->SetCellText(row, TaskListModel::TitleColumn, title);
}

void DownloadTaskList::OnItemEntries(int, const std::vector<PageEntry>& entries) {
    // The page's further videos: a row each, in page order, downloaded in
    // the batch that found them.
    for (const PageEntry& e : entries)
        AddPendingTask(e.address, e.playlistItem, e.title.isEmpty() ? e.address : e.title, downloading_);
}

void DownloadTaskList::OnItemRecorded(const RecordedItem& item) {
    const int row = item.row;
    if (row < 0)
        return;
    model_->SetProgressOn(row, false);
    if (item.historyWasEmpty)
        Q_EMIT showSiteTreeRequested();
    DownloadTask* task = model_->Task(row);
    if (item.identified && !item.path.isEmpty()) {
        ++batchSaved_;
        batchFailedRows_.remove(row);
    } else {
        batchFailedRows_.insert(row);
    }
    if (task && item.published && !item.path.isEmpty()) {
        if (!item.identified) {
            // The file is kept, but it is nothing to play: the row says so and
            // never stands for a playable file (nor for the page address).
            const QString text = FillFormat(LoadText(TextId::NotAVideo), {item.path});
            DeferMessage(text, UserPrompts::Icon::Warning);
            SetStatusText(text);
            task->location = item.path;
            task->state = DownloadTask::Failed;
            model_->SetCellText(row, TaskListModel::StatusColumn, LoadText(TextId::NotAVideoShort),
                                TaskListModel::AlertColour());
            model_->SetToolTip(row, item.path);
        } else {
            // The session identified the file and inserted its history row.
            model_->SetCellText(row, TaskListModel::StatusColumn, QString());
            task->siteName = item.siteName;
            FillRowFromInfo(item.path, row, nullptr, task, item.info, item.site, item.pageUrl);
            task->state = DownloadTask::LocalFile;
            if (item.historyTried && !item.historyInserted) {
                SetStatusText(FillFormat(LoadText(TextId::HistoryNotWritten), {item.path}));
                unrecordedRows_.insert(row);
            }
        }
    }
    ShowTaskInPreview();
    model_->SetChecked(row, false);
}

void DownloadTaskList::DeferMessage(const QString& text, UserPrompts::Icon icon) {
    // A modal box run from inside a report would handle the reports after it
    // (the batch end, a power-off) nested inside this one: it waits for the
    // report to return.
    QMetaObject::invokeMethod(
        this, [this, text, icon] { prompts_.ShowMessage(text, icon); }, Qt::QueuedConnection);
}

void DownloadTaskList::OnBatchEnded(bool stopped) {
    // A page's further videos may have come after the batch ran out of work.
    if (!stopped && downloading_ && session_ && session_->Worker().QueuedCount() > 0 &&
        session_->Worker().Start())
        return;
    downloading_ = false;
    RefreshToolbar();
    ShowTaskInPreview();
    const int saved = std::exchange(batchSaved_, 0);
    const int failed = int(std::exchange(batchFailedRows_, {}).size());
    if (stopped)
        return;
    Q_EMIT batchFinished(saved, failed);
    if (beep_)
        beep_();
    if (settings_.ShutdownFlag)
        PowerOff();
}

void DownloadTaskList::PowerOff() {
    // The window keeps answering until the system does; it may be closed by then.
    power_.PowerOff([self = QPointer<DownloadTaskList>(this)](const QString& refused) {
        if (!self)
            return;
        if (!refused.isEmpty())
            self->DeferMessage(refused, UserPrompts::Icon::Error);
        Q_EMIT self->quitRequested();
    });
}
