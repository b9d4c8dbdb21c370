#include "retrieval/DownloadWorker.h"

#include "base/AppLog.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "base/ThreadCheck.h"
#include "retrieval/AddressRoute.h"
#include "retrieval/DownloadItem.h"
#include "retrieval/ExtractorFactory.h"
#include "retrieval/YtDlpItem.h"

#include <system_error>

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

DownloadWorker::DownloadWorker(MessageTarget* window) : window_(window), owner_(std::this_thread::get_id()) {}

DownloadWorker::~DownloadWorker() {
    if (!thread_.joinable())
        return;
    // The last owner may be the batch thread itself as it ends.
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
        return;
    }
    if (!link_->ended.IsSet() && !link_->runReturned)
        StopBatch();
    if (thread_.joinable())
        thread_.join();
}

bool DownloadWorker::OnOwnerThread() const {
    return std::this_thread::get_id() == owner_;
}

bool DownloadWorker::OnBatchThread() const {
    // A batch whose Run has returned only posts its last notification: its
    // state is the window's again once that has arrived.
    const std::thread::id batch = batchThread_.load();
    return batch == std::thread::id() || batch == std::this_thread::get_id() || (link_ && link_->runReturned);
}

#define ZORV_WINDOW_THREAD_ONLY(what)                                                                        \
    ZORV_CHECK_THREAD(OnOwnerThread(), "DownloadWorker::" what " called off the thread that made the "       \
                                       "worker")
#define ZORV_BATCH_THREAD_ONLY(what)                                                                         \
    ZORV_CHECK_THREAD(OnBatchThread(),                                                                       \
                      "DownloadWorker::" what " called off the batch thread while a batch runs")

QString DownloadWorker::StatusText(int code) {
    int id = 0;
    if (code >= 100 && code <= 103)
        id = TextId::StatusTextsFrom100 + (code - 100);
    else if (code >= 200 && code <= 204)
        id = TextId::StatusTextsFrom200 + (code - 200);
    else if (code >= 205 && code <= 207)
        id = TextId::StatusTextsFrom205 + (code - 205);
    else if (code == 104)
        id = TextId::DownloadingVideo;
    else if (code == 105)
        id = TextId::VideoDownloaded;
    else if (code == 108)
        id = TextId::ReadingVideoInfo;
    else if (code == 110)
        id = TextId::DownloadCompleted;
    else if (code == 111)
        id = TextId::DownloadStopped;
    else if (code == 112)
        id = TextId::SettingSiteLanguage;
    return id ? LocalText(id) : QString();
}

QString DownloadWorker::LocalText(int id) {
    return LoadText(id);
}

void DownloadWorker::Enqueue(const QString& address, int row, int playlistItem) {
    ZORV_WINDOW_THREAD_ONLY("Enqueue");
    std::lock_guard lock(queueMutex_);
    queueAddresses_ << address;
    queueRows_ << static_cast<quint16>(row);
    queueItems_ << playlistItem;
}

void DownloadWorker::ClearQueue() {
    ZORV_WINDOW_THREAD_ONLY("ClearQueue");
    std::lock_guard lock(queueMutex_);
    queueAddresses_.clear();
    queueRows_.clear();
    queueItems_.clear();
}

int DownloadWorker::QueuedCount() const {
    std::lock_guard lock(queueMutex_);
    return static_cast<int>(queueAddresses_.size());
}

bool DownloadWorker::TakeQueued(int index, QString& address, int& row, int& playlistItem) {
    std::lock_guard lock(queueMutex_);
    if (index >= queueAddresses_.size()) {
        // Checked and emptied under one lock: an address appended from now
        // on waits for the next batch instead of being dropped.
        queueAddresses_.clear();
        queueRows_.clear();
        queueItems_.clear();
        return false;
    }
    address = queueAddresses_.at(index);
    row = queueRows_.at(index);
    playlistItem = queueItems_.at(index);
    return true;
}

bool DownloadWorker::Start() {
    ZORV_WINDOW_THREAD_ONLY("Start");
    // A batch that has posted its last notification ends at once; one still
    // working, or abandoned and not yet ended, blocks a new batch.
    if (link_ && !link_->ended.IsSet()) {
        if (!link_->runReturned || !link_->ended.Wait(kStopDeadlineMs))
            return false;
    }
    if (thread_.joinable())
        thread_.join();
    stopFlag_ = 0;
    finalPath_.clear();
    // A dialog that closed after the last batch stopped waiting for it must
    // not answer this batch's first wait.
    captchaDone_.Reset();
    signInDone_.Reset();
    auto link = std::make_shared<BatchLink>();
    link->receiver = window_;
    link_ = link;
    try {
        thread_ = std::thread([this, link] { ThreadMain(link); });
    } catch (const std::system_error&) {
        link->ended.Set();
        StopBatch();
        return false;
    }
    return true;
}

void DownloadWorker::ThreadMain(std::shared_ptr<BatchLink> link) {
    batchThread_ = std::this_thread::get_id();
    running_ = 1;
    Run();
    running_ = 0;
    batchThread_ = std::thread::id();
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
    ZORV_WINDOW_THREAD_ONLY("Stop");
    return StopBatch();
}

bool DownloadWorker::StopBatch() {
    if (!thread_.joinable())
        return false;
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
    return true;
}

bool DownloadWorker::IsAbandoned() const {
    return link_ && link_->abandoned;
}

int DownloadWorker::CheckStop() {
    ZORV_BATCH_THREAD_ONLY("CheckStop");
    if (StopRequested()) {
        stopFlag_ = 1;
        return 1;
    }
    return 0;
}

bool DownloadWorker::StopRequested() const {
    return link_ && (link_->stopRequested.load(std::memory_order_relaxed) || link_->abandoned);
}

bool DownloadWorker::Stopped() const {
    ZORV_BATCH_THREAD_ONLY("Stopped");
    return stopFlag_ != 0;
}

std::optional<BrowserDialog> DownloadWorker::RequestedDialog() const {
    ZORV_BATCH_THREAD_ONLY("RequestedDialog");
    if (!captchaAddress_.isEmpty())
        return BrowserDialog::Captcha;
    if (!signInAddress_.isEmpty())
        return BrowserDialog::SignIn;
    return std::nullopt;
}

void DownloadWorker::DialogClosed(BrowserDialog kind) {
    (kind == BrowserDialog::Captcha ? captchaDone_ : signInDone_).Set();
}

bool DownloadWorker::WaitForDialog(BrowserDialog kind) {
    ZORV_BATCH_THREAD_ONLY("WaitForDialog");
    Event& done = kind == BrowserDialog::Captcha ? captchaDone_ : signInDone_;
    // The browser address was set after its status went out: publish it so
    // the window can read it while this thread sleeps.
    waitingForDialog_ = true;
    Publish();
    bool closed = true;
    if (!link_) {
        done.Wait(-1);
    } else if (Event::WaitAny(done, link_->stopEvent, -1) == 1) {
        // A stop request must not sit behind a dialog the user may never close.
        stopFlag_ = 1;
        closed = false;
    }
    waitingForDialog_ = false;
    (kind == BrowserDialog::Captcha ? captchaAddress_ : signInAddress_).clear();
    Publish();
    return closed;
}

void DownloadWorker::Publish() {
    std::lock_guard lock(stateMutex_);
    published_.row = currentRow_;
    published_.site = currentSite_;
    published_.siteName = currentSiteName_;
    published_.entries = entries_;
    published_.title = currentTitle_;
    published_.pageUrl = currentPageUrl_;
    published_.finalPath = finalPath_;
    published_.mediaAddress = mediaAddress_;
    published_.lastError = lastError_;
    published_.captchaAddress = captchaAddress_;
    published_.signInAddress = signInAddress_;
    published_.waitingForDialog = waitingForDialog_;
    if (currentRow_ >= 0)
        rowStates_[currentRow_] = published_;
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

QString DownloadWorker::LastError() const {
    std::lock_guard lock(stateMutex_);
    return lastError_;
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
    ZORV_BATCH_THREAD_ONLY("PostStatus");
    Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(code, currentRow_), std::move(text));
}

void DownloadWorker::PostProgress(int perMille) {
    ZORV_BATCH_THREAD_ONLY("PostProgress");
    if (perMille == lastProgress_)
        return;
    lastProgress_ = perMille;
    Post(UM_DOWNLOAD_PROGRESS, perMille, currentRow_);
}

void DownloadWorker::SetByteCounts(quint64 received, quint64 total) {
    receivedBytes_.store(received, std::memory_order_relaxed);
    totalBytes_.store(total, std::memory_order_relaxed);
}

void DownloadWorker::PostTitle(const QString& title) {
    ZORV_BATCH_THREAD_ONLY("PostTitle");
    currentTitle_ = title;
    Post(UM_DOWNLOAD_TITLE, currentRow_, 0);
}

void DownloadWorker::PostRetry(int retryNumber) {
    ZORV_BATCH_THREAD_ONLY("PostRetry");
    Post(UM_DOWNLOAD_RETRY, retryNumber, currentRow_);
}

void DownloadWorker::PostItemDownloaded() {
    ZORV_BATCH_THREAD_ONLY("PostItemDownloaded");
    if (!stopFlag_)
        Post(UM_DOWNLOAD_ITEM_DONE, 0, currentRow_);
}

void DownloadWorker::SetError(const QString& text) {
    ZORV_BATCH_THREAD_ONLY("SetError");
    {
        std::lock_guard lock(stateMutex_);
        lastError_ = text;
    }
    LogErrorW(kCategory, QStringLiteral("Error: ") + text);
}

void DownloadWorker::RequestCaptcha(const QString& address) {
    ZORV_BATCH_THREAD_ONLY("RequestCaptcha");
    captchaAddress_ = address;
}

void DownloadWorker::RequestSignIn(const QString& address) {
    ZORV_BATCH_THREAD_ONLY("RequestSignIn");
    signInAddress_ = address;
}

ItemHost::Settings DownloadWorker::ItemSettings() const {
    return Settings{outputFolder_.Get(), useTitle_.load(), retryTimes_.load(), ytDlpPath_.Get(),
                    youtubeFmt_.load()};
}

void DownloadWorker::BeginItem(int row, VideoSite site) {
    ZORV_BATCH_THREAD_ONLY("BeginItem");
    currentRow_ = row;
    currentSite_ = site;
    currentSiteName_.clear();
    entries_.clear();
    finalPath_.clear(); // the previous item's file is not this one's
    mediaAddress_.clear();
}

void DownloadWorker::SetItemSite(VideoSite site) {
    ZORV_BATCH_THREAD_ONLY("SetItemSite");
    currentSite_ = site;
}

void DownloadWorker::SetItemSiteName(const QString& name) {
    ZORV_BATCH_THREAD_ONLY("SetItemSiteName");
    currentSiteName_ = name;
}

void DownloadWorker::PostEntries(const std::vector<PageEntry>& entries) {
    ZORV_BATCH_THREAD_ONLY("PostEntries");
    entries_ = entries;
    // Kept with the row until its item ends: the session reads them by row.
    Post(UM_DOWNLOAD_ENTRIES, currentRow_, static_cast<qintptr>(entries.size()));
}

void DownloadWorker::SetItemPage(const QString& title, const QString& pageUrl) {
    ZORV_BATCH_THREAD_ONLY("SetItemPage");
    currentTitle_ = title;
    currentPageUrl_ = pageUrl;
    // Until a media address is known (an item read through yt-dlp never
    // has one), the bytes are the page's.
    if (mediaAddress_.isEmpty())
        mediaAddress_ = pageUrl;
}

void DownloadWorker::SetFinalPath(const QString& path) {
    ZORV_BATCH_THREAD_ONLY("SetFinalPath");
    finalPath_ = path;
}

ItemHost::MediaDownload DownloadWorker::DownloadMedia(const QString& mediaUrl, const QString& tempPath,
                                                      MediaResume& resume) {
    ZORV_BATCH_THREAD_ONLY("DownloadMedia");
    mediaAddress_ = mediaUrl;
    CVideoDownloader downloader(this);
    const MediaResult result = downloader.GetFLVFile(mediaUrl, tempPath, &resume);
    if (!result.finalAddress.isEmpty())
        mediaAddress_ = result.finalAddress;
    return MediaDownload{result.code, result.stopped};
}

void DownloadWorker::Run() {
    for (int i = 0;; ++i) {
        QString address;
        int row = -1;
        int playlistItem = 0;
        if (!TakeQueued(i, address, row, playlistItem))
            break;
        lastProgress_ = 0;
        if (stopFlag_ || IsAbandoned()) {
            // A stopped batch drops what is left. (A batch that ran out of
            // items emptied the queue in TakeQueued, under the same lock as
            // its last check, so nothing appended after that is lost.)
            std::lock_guard lock(queueMutex_);
            queueAddresses_.clear();
            queueRows_.clear();
            queueItems_.clear();
            break;
        }
        const RoutedAddress routed = RouteAddress(address);
        if (routed.route == AddressRoute::YtDlp) {
            YtDlpItem(*this, row).Run(routed.address, playlistItem);
            continue;
        }
        std::unique_ptr<SiteExtractor> p = CreateExtractor(address, this);
        if (!p)
            continue; // not a video site: skipped without a word
        if (DownloadItem(*this, row).Run(std::move(p)) && !stopFlag_)
            YtDlpItem(*this, row).RunInstead(address);
    }
    if (link_)
        link_->runReturned = true;
    Post(stopFlag_ ? UM_DOWNLOAD_STOPPED : UM_DOWNLOAD_ALL_DONE, 0, 0);
    lastProgress_ = 0;
}
