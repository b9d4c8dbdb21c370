#include "app/tasklist/DownloadTaskList.h"

#include "app/AddUrlDlg.h"
#include "app/tasklist/TaskListText.h"
#include "app/tasklist/TaskListView.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/OutputFolder.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "history/SqliteConnection.h"
#include "mediatools/IdentifyMedia.h"
#include "platform/PowerControl.h"
#include "platform/UserPrompts.h"
#include "retrieval/AddressRoute.h"
#include "retrieval/DownloadWorker.h"
#include "ui/GuiMessageTarget.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QItemSelectionModel>
#include <QSet>

#include <algorithm>

namespace {
constexpr const char* kCategory = "CTrevaloDlg";
} // namespace

DownloadTaskList::DownloadTaskList(AppSettings& settings, UserPrompts& prompts, PowerControl& power,
                                   QWidget* viewParent)
    : settings_(settings), prompts_(prompts), power_(power), model_(new TaskListModel(this)),
      view_(new TaskListView(viewParent)), target_(std::make_unique<GuiMessageTarget>(this)),
      outputFolder_(settings.OutputFolder), beep_([] { QApplication::beep(); }) {
    view_->setModel(model_);
    connect(view_, &QObject::destroyed, this, [this] { view_ = nullptr; });
    connect(model_, &TaskListModel::checkToggled, this, &DownloadTaskList::OnCheckToggled);
    connect(view_, &TaskListView::rowDoubleClicked, this, &DownloadTaskList::OnRowDoubleClicked);
    // Dropped text is one candidate; dropped files are added one by one, in
    // the order dropped, once the session's finisher has identified each
    // (the window does not wait for mplayer).
    connect(view_, &TaskListView::textDropped, this, &DownloadTaskList::AddUrlTask);
    connect(view_, &TaskListView::filesDropped, this, &DownloadTaskList::AddFiles);
    // A row counts once it is both selected and current, whichever came first.
    const auto reportCurrent = [this] {
        const QModelIndex current = view_->selectionModel()->currentIndex();
        const bool selected = current.isValid() && view_->selectionModel()->isRowSelected(current.row());
        Q_EMIT showTaskInPreviewRequested(selected ? current.row() : -1);
    };
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, reportCurrent);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, reportCurrent);
}

DownloadTaskList::~DownloadTaskList() {
    // The session posts to the target until it is gone: stop and release it
    // first (an abandoned batch never posts again; the session joins its
    // finisher thread).
    if (session_ && session_->Worker().IsRunning())
        session_->Worker().Stop();
    session_.reset();
    target_.reset();
    if (view_ && !view_->parent())
        delete view_; // a view no window adopted
}

QWidget* DownloadTaskList::View() const {
    return view_;
}

TaskListView* DownloadTaskList::ListView() const {
    return view_;
}

QList<int> DownloadTaskList::SelectedRows() const {
    return view_ ? view_->SelectedRows() : QList<int>();
}

void DownloadTaskList::SetHistoryDb(SqliteConnection* db) {
    history_ = db;
    // The window thread waits at most a second for another program (a
    // zorv-get run) that holds the history; the row then says it is not
    // recorded instead of a frozen window.
    if (db)
        db->SetBusyTimeout(kWindowHistoryWaitMs);
    if (session_)
        session_->SetHistory(db);
}

void DownloadTaskList::CreateWorker() {
    if (session_)
        return;
    // The window logs the start-up steps around this call.
    session_ = std::make_unique<DownloadSession>(target_.get(), static_cast<SessionObserver&>(*this));
    session_->SetHistory(history_);
    ApplyWorkerSettings();
}

void DownloadTaskList::ApplyWorkerSettings() {
    if (!session_) {
        if (!settings_.OutputFolder.isEmpty())
            SetOutputFolder(settings_.OutputFolder);
        return;
    }
    session_->Configure(settings_);
    CreateOutputFolder(session_->OutputFolder());
}

QString DownloadTaskList::SetOutputFolder(const QString& folder) {
    CreateOutputFolder(session_ ? session_->SetOutputFolder(folder) : NormalizeOutputFolder(folder));
    return outputFolder_;
}

void DownloadTaskList::CreateOutputFolder(const QString& folder) {
    outputFolder_ = folder;
    if (!QDir().mkpath(outputFolder_))
        LogWarnW(kCategory, QStringLiteral("Can not create output folder [%1]").arg(outputFolder_));
}

void DownloadTaskList::AddUrlTask(const QString& text) {
    const RoutedAddress routed = RouteAddress(text);
    if (routed.route == AddressRoute::Refused) {
        prompts_.ShowMessage(LoadText(routed.tooLong ? TextId::AddressTooLong : TextId::OnlyWebAddress),
                             UserPrompts::Icon::Warning);
        return;
    }
    AddPendingTask(routed.address, 0, routed.address, downloading_ && appendNewTasks_);
}

bool DownloadTaskList::HasPendingTask(const QString& address, int playlistItem) const {
    for (int row = 0; row < model_->TaskCount(); ++row) {
        const DownloadTask* task = model_->Task(row);
        if (task->state == DownloadTask::Pending && task->location == address &&
            task->playlistItem == playlistItem)
            return true;
    }
    return false;
}

int DownloadTaskList::AddPendingTask(const QString& address, int playlistItem, const QString& title,
                                     bool enqueue) {
    if (HasPendingTask(address, playlistItem))
        return -1;
    return AppendPendingTask(address, playlistItem, title, enqueue);
}

int DownloadTaskList::AppendPendingTask(const QString& address, int playlistItem, const QString& title,
                                        bool enqueue) {
    auto task = std::make_unique<DownloadTask>();
    task->location = address;
    task->playlistItem = playlistItem;
    const DownloadTask& added = *task;
    const int row = model_->AppendTask(std::move(task));
    if (row < 0) {
        LogWarn(kCategory, "The task list is full (%d rows)", TaskListModel::kMaxRows);
        return -1;
    }
    model_->SetChecked(row, true);
    model_->SetRowAlert(row);
    model_->SetCellText(row, TaskListModel::TitleColumn, title);
    FillRowCells(row, added);
    model_->SetCellText(row, TaskListModel::StatusColumn, TaskListText::kReady);
    model_->SetToolTip(row, address);
    if (enqueue && session_)
        session_->Worker().Enqueue(address, row, playlistItem);
    RefreshToolbar();
    Q_EMIT bringTaskListToFront();
    return row;
}

void DownloadTaskList::AddFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (session_)
            session_->IdentifyFile(path);
        else
            AddLocalFile(path);
    }
}

void DownloadTaskList::AddUrls(const QStringList& lines) {
    // Empty lines are ignored; the refused ones are named in one message.
    constexpr int kNamedAtMost = 10;
    constexpr int kShownLength = 100;
    QStringList refused;
    int refusedCount = 0;
    for (const QString& line : lines) {
        const RoutedAddress routed = RouteAddress(line);
        if (routed.route != AddressRoute::Refused) {
            AddPendingTask(routed.address, 0, routed.address, downloading_ && appendNewTasks_);
            continue;
        }
        if (!routed.tooLong && routed.address.isEmpty())
            continue;
        if (++refusedCount > kNamedAtMost)
            continue;
        const QString shown = routed.tooLong ? line.left(kShownLength).trimmed() : routed.address;
        refused << (routed.tooLong || shown.size() > kShownLength ? shown.left(kShownLength) + QChar(0x2026)
                                                                  : shown);
    }
    if (refusedCount == 0)
        return;
    if (refusedCount > kNamedAtMost)
        refused << QStringLiteral("(+%1)").arg(refusedCount - kNamedAtMost);
    prompts_.ShowMessage(LoadText(TextId::BadAddressLines) + QLatin1Char('\n') +
                             refused.join(QLatin1Char('\n')),
                         UserPrompts::Icon::Warning);
}

int DownloadTaskList::AddImportedLinks(const QStringList& links) {
    QSet<QString> pending;
    for (int row = 0; row < model_->TaskCount(); ++row) {
        const DownloadTask* task = model_->Task(row);
        if (task->state == DownloadTask::Pending && task->playlistItem == 0)
            pending.insert(task->location);
    }
    int added = 0;
    for (qsizetype i = 0; i < links.size(); ++i) {
        const RoutedAddress routed = RouteAddress(links[i]);
        if (routed.route == AddressRoute::Refused || pending.contains(routed.address))
            continue;
        if (model_->TaskCount() >= TaskListModel::kMaxRows) {
            const QString text =
                FillFormat(LoadText(TextId::ImportTaskListFull),
                           {QString::number(TaskListModel::kMaxRows), QString::number(links.size() - i)});
            LogWarnW(kCategory, text);
            SetStatusText(text);
            prompts_.ShowMessage(text, UserPrompts::Icon::Warning);
            break;
        }
        pending.insert(routed.address);
        AppendPendingTask(routed.address, 0, routed.address, downloading_ && appendNewTasks_);
        ++added;
    }
    return added;
}

bool DownloadTaskList::AddLocalFile(const QString& path) {
    return FillRowFromFile(path, -1, -2, QString()) == 1;
}

int DownloadTaskList::FillRowFromFile(const QString& path, int row, int site, const QString& pageUrl) {
    std::unique_ptr<DownloadTask> fresh;
    DownloadTask* task = nullptr;
    if (row >= 0) {
        task = model_->Task(row);
        if (!task)
            return 0;
    } else {
        fresh = std::make_unique<DownloadTask>();
        task = fresh.get();
    }
    // Runs on this thread: the window waits, at most for the tool's bound.
    // (Downloaded files are identified on the session's finisher thread.)
    MediaInfo info;
    if (!IdentifyMedia(path, info)) {
        const QString text = FillFormat(LoadText(TextId::NotAVideo), {path});
        prompts_.ShowMessage(text, UserPrompts::Icon::Warning);
        SetStatusText(text);
        return 0; // a fresh task is discarded with `fresh`
    }
    return FillRowFromInfo(path, row, std::move(fresh), task, info, site, pageUrl);
}

void DownloadTaskList::OnFileIdentified(const QString& path, bool identified, const MediaInfo& info) {
    if (!identified) {
        const QString text = FillFormat(LoadText(TextId::NotAVideo), {path});
        DeferMessage(text, UserPrompts::Icon::Warning);
        SetStatusText(text);
        return;
    }
    auto fresh = std::make_unique<DownloadTask>();
    DownloadTask* task = fresh.get();
    FillRowFromInfo(path, -1, std::move(fresh), task, info, -2, QString());
}

int DownloadTaskList::FillRowFromInfo(const QString& path, int row, std::unique_ptr<DownloadTask> fresh,
                                      DownloadTask* task, const MediaInfo& info, int site,
                                      const QString& pageUrl) {
    task->ApplyMediaInfo(path, info);
    if (task->hasAudio) {
        SetStatusText(QString());
    } else {
        DeferMessage(LoadText(TextId::NoSoundTrack), UserPrompts::Icon::Warning);
        SetStatusText(LoadText(TextId::NoSoundTrack));
    }
    if (fresh) {
        row = model_->AppendTask(std::move(fresh));
        if (row < 0)
            return 0;
    }
    if (site < 0) {
        model_->SetCellText(row, TaskListModel::TitleColumn, TaskListText::LocalFileTitle(path));
    } else {
        // A download: the session has inserted its history row.
        task->pageUrl = pageUrl;
        task->site = site;
        Q_EMIT historyInserted();
    }
    model_->SetChecked(row, true);
    model_->SetRowFilled(row);
    FillRowCells(row, *task);
    model_->SetToolTip(row, task->location);
    if (!downloading_)
        RefreshToolbar();
    Q_EMIT bringTaskListToFront();
    return 1;
}

void DownloadTaskList::FillRowCells(int row, const DownloadTask& task) {
    model_->SetCellText(row, TaskListModel::DurationColumn, TaskListText::Duration(task));
    model_->SetCellText(row, TaskListModel::FormatColumn, TaskListText::Format(task));
    model_->SetCellText(row, TaskListModel::SizeColumn, TaskListText::FrameSize(task));
    model_->SetCellText(row, TaskListModel::FpsColumn, TaskListText::FrameRate(task));
}

bool DownloadTaskList::RemoveRows(QList<int> rows) {
    if (IsBusy())
        return false;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows)
        if (DownloadTask* task = model_->Task(row))
            Q_EMIT taskAboutToBeRemoved(task);
    model_->RemoveTaskRows(std::move(rows));
    RefreshToolbar();
    return true;
}

bool DownloadTaskList::RemoveAll() {
    if (IsBusy())
        return false;
    for (int row = 0; row < model_->TaskCount(); ++row)
        Q_EMIT taskAboutToBeRemoved(model_->Task(row));
    model_->RemoveAllTasks();
    RefreshToolbar();
    return true;
}

void DownloadTaskList::CheckSelected(bool checked) {
    for (int row : SelectedRows()) {
        model_->SetChecked(row, checked);
        if (!checked)
            model_->SetCellText(row, TaskListModel::StatusColumn, QString());
    }
    RefreshToolbar();
}

bool DownloadTaskList::CanStartAll() const {
    if (!session_ || downloading_)
        return false;
    for (int row = 0; row < model_->TaskCount(); ++row)
        if (model_->Task(row)->state == DownloadTask::Pending)
            return true;
    return false;
}

void DownloadTaskList::StartAll() {
    if (downloading_ || !session_)
        return;
    DownloadWorker& worker = session_->Worker();
    // Nothing runs: whatever is still queued is a leftover of an earlier
    // batch, and would download its row a second time.
    worker.ClearQueue();
    for (int row = 0; row < model_->TaskCount(); ++row) {
        const DownloadTask* task = model_->Task(row);
        if (task->state == DownloadTask::Pending && model_->IsChecked(row))
            worker.Enqueue(task->location, row, task->playlistItem);
    }
    downloading_ = true;
    appendNewTasks_ = true;
    if (!worker.Start()) {
        StartRefused();
        appendNewTasks_ = false;
    }
    RefreshToolbar();
}

bool DownloadTaskList::CanStartSelected() const {
    if (!session_ || downloading_)
        return false;
    const QList<int> selected = SelectedRows();
    return selected.size() == 1 && model_->Task(selected.first())->state == DownloadTask::Pending;
}

void DownloadTaskList::StartSelected() {
    if (downloading_ || !session_)
        return;
    DownloadWorker& worker = session_->Worker();
    appendNewTasks_ = false;
    const QList<int> selected = SelectedRows();
    if (selected.size() != 1 || model_->Task(selected.first())->state != DownloadTask::Pending)
        return;
    const DownloadTask* task = model_->Task(selected.first());
    worker.ClearQueue();
    worker.Enqueue(task->location, selected.first(), task->playlistItem);
    downloading_ = true;
    if (!worker.Start())
        StartRefused();
    RefreshToolbar();
}

void DownloadTaskList::StartRefused() {
    // A batch that would not stop still winds down: nothing runs now, and
    // nothing stays queued for later.
    LogWarn(kCategory, "Download worker could not start a batch");
    session_->Worker().ClearQueue();
    downloading_ = false;
    const QString text = LoadText(TextId::StartRefused);
    SetStatusText(text);
    prompts_.ShowMessage(text, UserPrompts::Icon::Warning);
}

bool DownloadTaskList::CanStop() const {
    return session_ && IsBusy();
}

bool DownloadTaskList::IsBusy() const {
    return downloading_ || (session_ && session_->ActionsOutstanding() > 0);
}

void DownloadTaskList::Stop() {
    if (!CanStop())
        return;
    if (downloading_)
        session_->Worker().Stop();
    session_->StopActions();
    downloading_ = false;
    RefreshToolbar();
}

void DownloadTaskList::StopAskingFirst() {
    if (!CanStop())
        return;
    if (prompts_.AskYesNoCancel(LoadText(TextId::StopDownloadsQuestion)) == UserPrompts::Answer::Yes)
        Stop();
}

bool DownloadTaskList::CanStripStart() const {
    if (downloading_)
        return false;
    for (int row = 0; row < model_->TaskCount(); ++row)
        if (model_->IsChecked(row) && model_->Task(row)->state == DownloadTask::Pending)
            return true;
    return false;
}

void DownloadTaskList::OpenAddUrlDialog(QWidget* parent) {
    AddUrlDlg dialog(parent);
    if (dialog.exec() == QDialog::Accepted)
        AddUrls(dialog.Lines());
}

bool DownloadTaskList::CanPaste() const {
    // Exactly when pasting would add a row: a web address that is not already
    // waiting in the list, and room for it.
    if (model_->TaskCount() >= TaskListModel::kMaxRows)
        return false;
    const RoutedAddress routed = RouteAddress(QApplication::clipboard()->text());
    return routed.route != AddressRoute::Refused && !HasPendingTask(routed.address, 0);
}

void DownloadTaskList::PasteFromClipboard() {
    AddUrlTask(QApplication::clipboard()->text());
}

void DownloadTaskList::ShowTaskInPreview() {
    const QList<int> selected = SelectedRows();
    if (selected.size() == 1)
        Q_EMIT showTaskInPreviewRequested(selected.first());
}

void DownloadTaskList::RewriteSelectedDuration() {
    const QList<int> selected = SelectedRows();
    if (selected.isEmpty())
        return;
    if (const DownloadTask* task = model_->Task(selected.first()))
        model_->SetCellText(selected.first(), TaskListModel::DurationColumn, TaskListText::Duration(*task));
}

void DownloadTaskList::SetStatusText(const QString& text) {
    statusText_ = text;
    Q_EMIT statusTextChanged(text);
}

void DownloadTaskList::OnCheckToggled(int row, bool checked) {
    // The row does not join a running batch; the text only says so.
    if (downloading_)
        model_->SetCellText(row, TaskListModel::StatusColumn, checked ? TaskListText::kWaiting : QString());
    RefreshToolbar();
}

void DownloadTaskList::OnRowDoubleClicked(int row) {
    const DownloadTask* task = model_->Task(row);
    if (!task)
        return;
    if (task->state == DownloadTask::LocalFile || downloading_)
        Q_EMIT playTaskRequested(row);
    else
        StartSelected();
}
