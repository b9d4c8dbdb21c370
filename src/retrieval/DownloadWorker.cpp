#include "retrieval/DownloadWorker.h"

#include "base/AppLog.h"
#include "base/Localization.h"
#include "retrieval/DownloadItem.h"
#include "retrieval/ExtractorFactory.h"

#include <system_error>

#include <unistd.h>

namespace {
constexpr const char* kCategory = CVideoDownloader::kLogCategory;
} // namespace

// What one batch thread shares with the window. The thread keeps it alive,
// so it outlives an abandoned batch.
struct DownloadWorker::BatchLink {
    std::mutex mutex;
    MessageTarget* receiver = nullptr; // null once the batch was abandoned
    Event stopEvent{Event::Reset::Manual};
    // Read on every body block and by the transport's network waits: a
    // plain flag, so a poll costs no system call.
    std::atomic<bool> stopRequested{false};
    Event ended{Event::Reset::Manual};
    std::atomic<bool> runReturned{false};
    std::atomic<bool> abandoned{false};
    // Only an abandoned thread keeps its worker alive: any other batch must
    // end when the window's last reference goes (the destructor stops it).
    // Both under `mutex`.
    std::shared_ptr<DownloadWorker> keepAlive;
    bool threadDone = false;
};

DownloadWorker::DownloadWorker(MessageTarget* window) : window_(window) {}

DownloadWorker::~DownloadWorker() {
    if (!thread_.joinable())
        return;
    // The last owner may be the batch thread itself as it ends.
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
        return;
    }
    if (!link_->ended.IsSet() && !link_->runReturned)
        Stop();
    if (thread_.joinable())
        thread_.join();
}

QString DownloadWorker::StatusText(int code) {
    int id = 0;
    if (code >= 100 && code <= 103)
        id = 32877 + (code - 100);
    else if (code >= 200 && code <= 204)
        id = 32884 + (code - 200);
    else if (code >= 205 && code <= 207)
        id = 32904 + (code - 205);
    else if (code == 104)
        id = 32881;
    else if (code == 105)
        id = 32882;
    else if (code == 108)
        id = 32883;
    else if (code == 110)
        id = 32872;
    else if (code == 111)
        id = 32875;
    else if (code == 112)
        id = 32903;
    return id ? LocalText(id) : QString();
}

QString DownloadWorker::LocalText(int id) {
    return LoadText(id);
}

void DownloadWorker::Enqueue(const QString& address, int row) {
    std::lock_guard lock(queueMutex_);
    queueAddresses_ << address;
    queueRows_ << static_cast<quint16>(row);
}

bool DownloadWorker::TakeQueued(int index, QString& address, int& row) {
    std::lock_guard lock(queueMutex_);
    if (index >= queueAddresses_.size()) {
        // Checked and emptied under one lock: an address appended from now
        // on waits for the next batch instead of being dropped.
        queueAddresses_.clear();
        queueRows_.clear();
        return false;
    }
    address = queueAddresses_.at(index);
    row = queueRows_.at(index);
    return true;
}

bool DownloadWorker::Start() {
    // A batch that has posted its last notification ends at once; one still
    // working, or abandoned and not yet ended, blocks a new batch.
    if (link_ && !link_->ended.IsSet()) {
        if (!link_->runReturned || !link_->ended.Wait(kStopDeadlineMs))
            return false;
    }
    if (thread_.joinable())
        thread_.join();
    stopFlag = 0;
    finalPath.clear();
    tempPath.clear();
    // A dialog that closed after the last batch stopped waiting for it must
    // not answer this batch's first wait.
    captchaDone.Reset();
    signInDone.Reset();
    auto link = std::make_shared<BatchLink>();
    link->receiver = window_;
    link_ = link;
    try {
        thread_ = std::thread([this, link] { ThreadMain(link); });
    } catch (const std::system_error&) {
        link->ended.Set();
        Stop();
        return false;
    }
    return true;
}

void DownloadWorker::ThreadMain(std::shared_ptr<BatchLink> link) {
    threadId = static_cast<long>(gettid());
    running = 1;
    Run();
    running = 0;
    std::shared_ptr<DownloadWorker> keep;
    {
        std::lock_guard lock(link->mutex);
        link->threadDone = true;
        keep = std::move(link->keepAlive);
    }
    link->ended.Set();
    // `keep` may be the last reference: the worker then ends here, on its
    // own detached thread.
}

bool DownloadWorker::Stop() {
    if (!thread_.joinable()) {
        threadId = 0;
        return false;
    }
    link_->stopRequested = true;
    link_->stopEvent.Set();
    if (link_->ended.Wait(kStopDeadlineMs)) {
        thread_.join();
    } else {
        // No forcible end: the thread is cut off from the window and winds
        // down on its own.
        bool finished = false;
        bool keptAlive = false;
        {
            std::lock_guard lock(link_->mutex);
            finished = link_->threadDone;
            if (!finished) {
                link_->receiver = nullptr;
                link_->keepAlive = weak_from_this().lock();
                keptAlive = link_->keepAlive != nullptr;
            }
        }
        if (finished) {
            thread_.join(); // it ended just after the deadline
        } else {
            link_->abandoned = true;
            LogWarn(kCategory, "Download thread did not stop in %d ms; abandoned", kStopDeadlineMs);
            if (keptAlive)
                thread_.detach(); // it now holds its own reference to this worker
        }
    }
    if (window_)
        window_->Post(UM_DOWNLOAD_STOPPED, 0, 0);
    threadId = 0;
    return true;
}

bool DownloadWorker::IsAbandoned() const {
    return link_ && link_->abandoned;
}

int DownloadWorker::CheckStop() {
    if (StopRequested()) {
        stopFlag = 1;
        return 1;
    }
    return 0;
}

bool DownloadWorker::StopRequested() const {
    return link_ && (link_->stopRequested.load(std::memory_order_relaxed) || link_->abandoned);
}

bool DownloadWorker::WaitForDialog(Event& done) {
    // The browser address was set after its status went out: publish it so
    // the window can read it while this thread sleeps.
    waitingForDialog_ = true;
    Publish();
    bool closed = true;
    if (!link_) {
        done.Wait(-1);
    } else if (Event::WaitAny(done, link_->stopEvent, -1) == 1) {
        // A stop request must not sit behind a dialog the user may never close.
        stopFlag = 1;
        closed = false;
    }
    waitingForDialog_ = false;
    Publish();
    return closed;
}

void DownloadWorker::Publish() {
    std::lock_guard lock(stateMutex_);
    published_.row = currentRow;
    published_.site = currentSite;
    published_.title = currentTitle;
    published_.pageUrl = currentPageUrl;
    published_.finalPath = finalPath;
    published_.mediaAddress = mediaAddress;
    published_.lastError = lastError;
    published_.captchaAddress = captchaAddress;
    published_.signInAddress = signInAddress;
    published_.waitingForDialog = waitingForDialog_;
    if (currentRow >= 0)
        rowStates_[currentRow] = published_;
}

DownloadWorker::ItemState DownloadWorker::Snapshot() const {
    std::lock_guard lock(stateMutex_);
    return published_;
}

std::optional<DownloadWorker::ItemState> DownloadWorker::RowSnapshot(int row) const {
    std::lock_guard lock(stateMutex_);
    auto it = rowStates_.find(row);
    if (it == rowStates_.end())
        return std::nullopt;
    return it->second;
}

void DownloadWorker::Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text) {
    Publish();
    if (!link_) {
        if (window_)
            window_->Post(msg, wParam, lParam, std::move(text));
        return;
    }
    std::lock_guard lock(link_->mutex);
    if (link_->receiver)
        link_->receiver->Post(msg, wParam, lParam, std::move(text));
}

void DownloadWorker::PostStatus(int code, std::optional<QString> text) {
    Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(code, currentRow), std::move(text));
}

void DownloadWorker::PostProgress(int perMille) {
    if (perMille == lastProgress)
        return;
    lastProgress = perMille;
    Post(UM_DOWNLOAD_PROGRESS, perMille, currentRow);
}

void DownloadWorker::SetByteCounts(quint64 received, quint64 total) {
    receivedBytes.store(received, std::memory_order_relaxed);
    totalBytes.store(total, std::memory_order_relaxed);
}

void DownloadWorker::PostTitle(const QString& title) {
    currentTitle = title;
    PostTitle();
}

void DownloadWorker::PostTitle() {
    Post(UM_DOWNLOAD_TITLE, currentRow, 0);
}

void DownloadWorker::PostItemDownloaded() {
    if (!stopFlag)
        Post(UM_DOWNLOAD_ITEM_DONE, 0, currentRow);
}

void DownloadWorker::SetError(const QString& text) {
    lastError = text;
    LogErrorW(kCategory, QStringLiteral("Error: ") + text);
}

int DownloadWorker::DownloadMedia(const QString& mediaUrl) {
    mediaAddress = mediaUrl;
    CVideoDownloader downloader(this);
    const MediaResult result = downloader.GetFLVFile(mediaUrl, tempPath, &resume);
    if (!result.finalAddress.isEmpty())
        mediaAddress = result.finalAddress;
    // A stopped download never gets its final name, even when its last
    // block had arrived.
    if (result.stopped)
        finalPath.clear();
    return result.code;
}

void DownloadWorker::Run() {
    for (int i = 0;; ++i) {
        QString address;
        int row = -1;
        if (!TakeQueued(i, address, row))
            break;
        lastProgress = 0;
        if (stopFlag || IsAbandoned()) {
            // A stopped batch drops what is left. (A batch that ran out of
            // items emptied the queue in TakeQueued, under the same lock as
            // its last check, so nothing appended after that is lost.)
            std::lock_guard lock(queueMutex_);
            queueAddresses_.clear();
            queueRows_.clear();
            break;
        }
        std::unique_ptr<SiteExtractor> p = CreateExtractor(address, this);
        if (!p)
            continue; // not a video site: skipped without a word
        DownloadItem(*this, row).Run(std::move(p));
    }
    if (link_)
        link_->runReturned = true;
    Post(stopFlag ? UM_DOWNLOAD_STOPPED : UM_DOWNLOAD_ALL_DONE, 0, 0);
    // Each item has deleted the temporary files it made; a name left in
    // tempPath may belong to another download by now.
    lastProgress = 0;
}
