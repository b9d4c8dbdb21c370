#include "session/DownloadSession.h"

#include "base/AppSettings.h"
#include "base/OutputFolder.h"
#include "base/ThreadCheck.h"
#include "history/HistoryDb.h"
#include "mediatools/IdentifyMedia.h"
#include "retrieval/DownloadMessages.h"

#include <chrono>
#include <limits>

#define ZORV_SESSION_THREAD_ONLY(what)                                                                       \
    ZORV_CHECK_THREAD(OnOwnerThread(),                                                                       \
                      "DownloadSession::" what " called off the thread that made the session")

namespace {
// Runs `f` when the scope ends, however it ends.
template <typename F> class ScopeExit {
  public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    F f_;
};

constexpr int kAddressPollMs = 20;
} // namespace

DownloadSession::DownloadSession(MessageTarget* target, SessionObserver& observer)
    : target_(target), observer_(observer), owner_(std::this_thread::get_id()),
      worker_(std::make_shared<DownloadWorker>(target)) {
    finisher_ = std::thread([this] { FinisherMain(); });
    actionThread_ = std::thread([this] { ActionMain(); });
}

DownloadSession::~DownloadSession() {
    if (worker_->IsRunning())
        worker_->Stop();
    {
        std::lock_guard lock(finisherMutex_);
        quit_ = true;
        finisherQueue_.clear();
    }
    cancel_ = true; // a running identification ends within 100 ms, its mplayer reaped
    finisherWake_.notify_all();
    {
        std::lock_guard lock(actionMutex_);
        actionQueue_.clear();
    }
    stoppedUpTo_ = std::numeric_limits<quint64>::max(); // ffmpeg is interrupted and reaped
    actionWake_.notify_all();
    actionThread_.join();
    finisher_.join();
    worker_.reset();
}

void DownloadSession::Configure(const SettingsValues& settings) {
    ZORV_SESSION_THREAD_ONLY("Configure");
    SetOutputFolder(settings.OutputFolder);
    worker_->SetUseTitle(settings.UseTitleAsFileName);
    worker_->SetRetryTimes(settings.RetryTimes);
    worker_->SetUseInternalCache(settings.UseInternalCache);
    worker_->SetYtDlpPath(settings.YtDlpPath);
    worker_->SetYoutubeFormat(settings.YoutubeFMT);
    MediaAction after;
    after.format = MediaFormatOfSetting(settings.AfterDownload);
    after.keepOriginal = settings.KeepOriginal != 0;
    after.mp3Quality = settings.MP3_VBRQ;
    afterDownload_ = after;
}

QString DownloadSession::SetOutputFolder(const QString& folder) {
    ZORV_SESSION_THREAD_ONLY("SetOutputFolder");
    // Always absolute, so every path the history stores is one.
    const QString cleaned = NormalizeOutputFolder(folder);
    worker_->SetOutputFolder(cleaned);
    return cleaned;
}

bool DownloadSession::Dispatch(const PostedMessage& m) {
    ZORV_SESSION_THREAD_ONLY("Dispatch");
    Note note;
    note.msg = m.msg;
    switch (m.msg) {
    case UM_SESSION_ITEM_IDENTIFIED: {
        const quint64 id = static_cast<quint64>(m.wParam);
        Identification result;
        {
            std::lock_guard lock(finisherMutex_);
            auto it = finished_.find(id);
            if (it == finished_.end())
                return true;
            result = std::move(it->second);
            finished_.erase(it);
        }
        if (auto action = actionIdentifications_.find(id); action != actionIdentifications_.end()) {
            const quint64 actionId = action->second;
            actionIdentifications_.erase(action);
            ActionIdentified(actionId, result.identified, result.info);
            return true;
        }
        if (auto file = fileJobs_.find(id); file != fileJobs_.end()) {
            const QString path = std::move(file->second);
            fileJobs_.erase(file);
            observer_.OnFileIdentified(path, result.identified, result.info);
            return true;
        }
        auto job = jobs_.find(id);
        if (job == jobs_.end())
            return true;
        job->second.record.identified = result.identified;
        job->second.record.info = result.info;
        job->second.ready = true;
        Drain();
        return true;
    }
    case UM_SESSION_ACTION_PROGRESS:
        ActionProgressed(static_cast<quint64>(m.lParam), static_cast<int>(m.wParam));
        return true;
    case UM_SESSION_ACTION_DONE:
        ActionDone(static_cast<quint64>(m.wParam));
        return true;
    case UM_DOWNLOAD_PROGRESS:
        note.row = static_cast<int>(m.lParam);
        note.number = static_cast<int>(m.wParam);
        note.text = worker_->Snapshot().mediaAddress;
        note.received = worker_->ReceivedBytes();
        note.total = worker_->TotalBytes();
        break;
    case UM_DOWNLOAD_STATUS: {
        note.row = DownloadStatus::RowOf(m.lParam);
        note.number = DownloadStatus::CodeOf(m.lParam);
        note.shown = m.text ? *m.text : DownloadWorker::StatusText(note.number);
        note.text = worker_->RowSnapshot(note.row).value_or(worker_->Snapshot()).lastError;
        break;
    }
    case UM_DOWNLOAD_RETRY:
        note.row = static_cast<int>(m.lParam);
        note.number = static_cast<int>(m.wParam);
        break;
    case UM_DOWNLOAD_TITLE:
        note.row = static_cast<int>(m.wParam);
        note.text = worker_->RowSnapshot(note.row).value_or(worker_->Snapshot()).title;
        break;
    case UM_DOWNLOAD_ENTRIES:
        note.row = static_cast<int>(m.wParam);
        if (const std::optional<DownloadWorker::ItemState> state = worker_->RowSnapshot(note.row))
            note.entries = state->entries;
        break;
    case UM_DOWNLOAD_ITEM_DONE: {
        note.row = static_cast<int>(m.lParam);
        note.job = nextJob_++;
        Job& job = jobs_[note.job];
        job.record.row = note.row;
        // Read by row: the worker may already be on the next item.
        if (const std::optional<DownloadWorker::ItemState> state = worker_->RowSnapshot(note.row)) {
            job.record.published = true;
            job.record.path = state->finalPath;
            job.record.pageUrl = state->pageUrl;
            job.record.site = state->site;
            job.record.siteName = state->siteName;
        }
        if (job.record.path.isEmpty())
            job.ready = true; // nothing to identify
        else
            QueueIdentification(note.job, job.record.path, false);
        break;
    }
    case UM_DOWNLOAD_ALL_DONE:
    case UM_DOWNLOAD_STOPPED:
        break;
    default:
        return false;
    }
    pending_.push_back(std::move(note));
    Drain();
    return true;
}

void DownloadSession::IdentifyFile(const QString& path) {
    ZORV_SESSION_THREAD_ONLY("IdentifyFile");
    const quint64 id = nextJob_++;
    fileJobs_[id] = path;
    QueueIdentification(id, path, false);
}

void DownloadSession::QueueIdentification(quint64 job, const QString& path, bool anyMedia) {
    {
        std::lock_guard lock(finisherMutex_);
        finisherQueue_.push_back({job, path, anyMedia});
    }
    finisherWake_.notify_all();
}

void DownloadSession::Drain() {
    // An observer may run a nested event loop (a modal dialog) that brings
    // more messages: they wait in `pending_` for this loop.
    if (draining_)
        return;
    draining_ = true;
    const ScopeExit done([this] { draining_ = false; });
    while (!pending_.empty() && holdFor_ == 0) {
        if (pending_.front().msg == UM_DOWNLOAD_ITEM_DONE) {
            auto job = jobs_.find(pending_.front().job);
            if (job != jobs_.end() && !job->second.ready)
                return; // what follows waits for this item's record
            pending_.pop_front();
            if (job == jobs_.end())
                continue;
            RecordedItem record = std::move(job->second.record);
            jobs_.erase(job);
            Record(record);
            observer_.OnItemRecorded(record);
            if (afterDownload_.IsSet() && record.identified)
                holdFor_ = StartAction({record.row, record.path, record.pageUrl, record.site, record.siteName,
                                        afterDownload_, record.info});
            continue;
        }
        const Note note = std::move(pending_.front());
        pending_.pop_front();
        Deliver(note);
    }
}

void DownloadSession::Record(RecordedItem& record) {
    record.historyWasEmpty = CountHistory(history_) <= 0;
    if (!record.identified)
        return;
    record.task.ApplyMediaInfo(record.path, record.info);
    record.task.pageUrl = record.pageUrl;
    record.task.site = record.site;
    record.task.siteName = record.siteName;
    record.historyTried = history_ != nullptr;
    record.historyInserted = history_ && InsertHistory(history_, record.task);
}

void DownloadSession::Deliver(const Note& note) {
    switch (note.msg) {
    case UM_DOWNLOAD_PROGRESS:
        observer_.OnItemProgress(note.row, note.number, note.received, note.total, note.text);
        break;
    case UM_DOWNLOAD_STATUS:
        if (note.number == DownloadStatus::CaptchaRequired || note.number == DownloadStatus::SignInRequired) {
            const BrowserDialog kind = note.number == DownloadStatus::CaptchaRequired ? BrowserDialog::Captcha
                                                                                      : BrowserDialog::SignIn;
            // The worker waits for the dialog without limit: release it
            // however this ends.
            const ScopeExit release([this, kind] { worker_->DialogClosed(kind); });
            observer_.OnItemStatus(note.row, note.number, note.shown, note.text);
            observer_.OnDialogNeeded(note.row, kind, WaitForAddress(note.row, kind));
        } else {
            observer_.OnItemStatus(note.row, note.number, note.shown, note.text);
        }
        break;
    case UM_DOWNLOAD_RETRY:
        observer_.OnItemRetry(note.row, note.number);
        break;
    case UM_DOWNLOAD_TITLE:
        observer_.OnItemTitle(note.row, note.text);
        break;
    case UM_DOWNLOAD_ENTRIES:
        observer_.OnItemEntries(note.row, note.entries);
        break;
    case UM_DOWNLOAD_ALL_DONE:
        observer_.OnBatchEnded(false);
        break;
    case UM_DOWNLOAD_STOPPED:
        observer_.OnBatchEnded(true);
        break;
    default:
        break;
    }
}

QString DownloadSession::WaitForAddress(int row, BrowserDialog kind) const {
    // The extractor may name the address just after its status went out;
    // the worker publishes it at the latest when it begins to wait.
    for (int waited = 0;; waited += kAddressPollMs) {
        const std::optional<DownloadWorker::ItemState> s = worker_->RowSnapshot(row);
        const QString address =
            s ? (kind == BrowserDialog::Captcha ? s->captchaAddress : s->signInAddress) : QString();
        if (!address.isEmpty() || waited >= kAddressWaitMs || (s && s->waitingForDialog) ||
            !worker_->IsRunning())
            return address;
        std::this_thread::sleep_for(std::chrono::milliseconds(kAddressPollMs));
    }
}

void DownloadSession::FinisherMain() {
    for (;;) {
        FinisherJob job;
        {
            std::unique_lock lock(finisherMutex_);
            finisherWake_.wait(lock, [this] { return quit_ || !finisherQueue_.empty(); });
            if (quit_)
                return;
            job = std::move(finisherQueue_.front());
            finisherQueue_.pop_front();
        }
        Identification result;
        result.identified = (job.anyMedia ? IdentifyAnyMedia(job.path, result.info, &cancel_)
                                          : IdentifyMedia(job.path, result.info, &cancel_)) != 0;
        {
            std::lock_guard lock(finisherMutex_);
            if (quit_)
                return;
            finished_[job.job] = std::move(result);
        }
        target_->Post(UM_SESSION_ITEM_IDENTIFIED, static_cast<qintptr>(job.job), 0);
    }
}
