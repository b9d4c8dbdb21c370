#pragma once
// The background downloader: takes a queue of video page addresses, works
// through them one after another on its own thread (resolving each page with
// its site's extractor, downloading the media file, retrying failures) and
// reports to the window with posted notifications (DownloadMessages.h).
//
// Threads
//   Window thread (the thread that made the worker): Enqueue, Start, Stop,
//     the destructor. These check their thread in debug builds and abort
//     when called from another one (base/ThreadCheck.h).
//   Any thread: the settings (SetOutputFolder, SetUseTitle, SetRetryTimes,
//     SetUseInternalCache and their getters: atomics and a locked value),
//     Snapshot()/RowSnapshot() (the item's results as published with the
//     latest notification), LastError(), the byte counts, IsRunning(),
//     StopRequested(), and DialogClosed, which tells a waiting batch that
//     the CAPTCHA or sign-in dialog has closed.
//   Batch thread: Run and everything it calls. The extractors and
//     CVideoDownloader see the worker only as their TransferContext, the
//     item (DownloadItem) only as its ItemHost. These entry points check, in
//     debug builds, that they run on the batch thread or that no batch runs
//     (a test or a tool may drive the worker's transport on its own thread).
//     The batch state is private; the batch thread is its only writer.
//
// Data that crosses threads (and only this): the queue (under its own lock),
// the settings, the published item state (under a lock, refreshed before
// every notification), the byte counts and flags (atomics), the stop event
// and the two dialog events (Event is thread-safe), and the batch link: the
// receiver pointer a notification goes to, cleared under its lock when a
// batch is abandoned.
//
// Stopping: Stop raises the stop flag, signals the stop event and waits up to
// 5000 ms. The batch thread notices it after every body block it reads, while
// it waits on the network (the transport polls StopRequested) and while it
// waits for a browser dialog. A thread that misses the deadline is abandoned: it is
// detached, it never posts again, its network waits abort, and it keeps the
// worker alive by itself when the worker is owned by a std::shared_ptr (make
// it with std::make_shared; a worker owned otherwise waits for such a thread
// in its destructor). A new batch cannot start while an abandoned one still
// runs. A batch that is not abandoned never keeps its worker alive: the
// destructor (the window's last reference going) stops it first.

#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/ItemHost.h"
#include "retrieval/SiteExtractor.h"
#include "retrieval/TransferContext.h"
#include "retrieval/VideoSite.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// A value the window writes and the batch thread reads, under a lock.
template <typename T> class LockedValue {
  public:
    LockedValue() = default;
    explicit LockedValue(T value) : value_(std::move(value)) {}
    LockedValue& operator=(const T& value) {
        std::lock_guard lock(mutex_);
        value_ = value;
        return *this;
    }
    operator T() const { return Get(); }
    T Get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

  private:
    mutable std::mutex mutex_;
    T value_{};
};

class DownloadWorker : public ItemHost, public std::enable_shared_from_this<DownloadWorker> {
  public:
    static constexpr int kStopDeadlineMs = 5000;
    static constexpr int kMoveRetryDelayMs = 1000;

    // What the window reads about an item, copied under a lock.
    struct ItemState {
        int row = -1;
        VideoSite site = NO_SITE;
        QString siteName; // OTHER_SITE: the site's name as yt-dlp gives it
        QString title;
        QString pageUrl;
        QString finalPath;
        QString mediaAddress;
        QString lastError;
        QString captchaAddress;
        QString signInAddress;
        // The batch waits for the CAPTCHA or sign-in dialog to close.
        bool waitingForDialog = false;
        // The further videos of the row's page (UM_DOWNLOAD_ENTRIES).
        std::vector<PageEntry> entries;
    };

    explicit DownloadWorker(MessageTarget* window);
    ~DownloadWorker() override;
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // ---- window thread ----
    // Appends an address with its row; a running batch picks it up.
    // `playlistItem` > 0: that video (1-based) of a page holding several.
    void Enqueue(const QString& address, int row, int playlistItem = 0);
    // Starts a batch thread over the queue. False when one still runs or the
    // thread could not be started.
    bool Start();
    // Requests a stop and waits for the batch thread (at most 5000 ms), then
    // posts UM_DOWNLOAD_STOPPED. False when no batch thread existed.
    bool Stop();

    // ---- any thread ----
    // The item state published with the latest notification.
    ItemState Snapshot() const;
    // The state published with the latest notification about `row`.
    std::optional<ItemState> RowSnapshot(int row) const;
    // The latest error text set (also before it was published).
    QString LastError() const;
    // The dialog of `kind` has closed: a batch waiting for it goes on.
    void DialogClosed(BrowserDialog kind);
    // Addresses waiting for a batch: after a batch has ended, those
    // appended too late for it.
    int QueuedCount() const;
    // Drops every queued address (window thread): what a batch that ended or
    // never started left behind.
    void ClearQueue();
    // True while a batch thread runs Run.
    bool IsRunning() const { return running_ != 0; }
    quint64 ReceivedBytes() const { return receivedBytes_.load(std::memory_order_relaxed); }
    quint64 TotalBytes() const { return totalBytes_.load(std::memory_order_relaxed); }
    // The settings: written by the window at any time, read by the batch.
    void SetOutputFolder(const QString& folder) { outputFolder_ = folder; }
    void SetUseTitle(int useTitle) { useTitle_ = useTitle; }
    void SetRetryTimes(int retries) { retryTimes_ = retries; }
    void SetUseInternalCache(int use) { useInternalCache_ = use; }
    void SetYtDlpPath(const QString& path) { ytDlpPath_ = path; }
    void SetYoutubeFormat(int format) { youtubeFmt_ = format; }
    QString OutputFolder() const { return outputFolder_.Get(); }
    int UseTitle() const { return useTitle_; }
    int RetryTimes() const { return retryTimes_; }
    // The text shown for a status code; empty for codes without one.
    static QString StatusText(int code);
    // A numbered user-visible text (status texts, error texts).
    static QString LocalText(int id);

    // ---- batch thread (or no batch running) ----
    // TransferContext. CheckStop is a flag read, no system call.
    int CheckStop() override;
    bool StopRequested() const override; // any thread
    void PostStatus(int code, std::optional<QString> text = std::nullopt) override;
    void PostProgress(int perMille) override;
    void SetByteCounts(quint64 received, quint64 total) override; // any thread
    void PostTitle(const QString& title) override;
    void SetError(const QString& text) override;
    int UseInternalCache() const override { return useInternalCache_; }
    void RequestCaptcha(const QString& address) override;
    void RequestSignIn(const QString& address) override;
    // ItemHost.
    Settings ItemSettings() const override;
    void BeginItem(int row, VideoSite site) override;
    void SetItemSite(VideoSite site) override;
    void SetItemSiteName(const QString& name) override;
    void PostEntries(const std::vector<PageEntry>& entries) override;
    void SetItemPage(const QString& title, const QString& pageUrl) override;
    void SetFinalPath(const QString& path) override;
    bool Stopped() const override;
    void PostRetry(int retryNumber) override;
    void PostItemDownloaded() override;
    std::optional<BrowserDialog> RequestedDialog() const override;
    bool WaitForDialog(BrowserDialog kind) override;
    MediaDownload DownloadMedia(const QString& mediaUrl, const QString& tempPath,
                                MediaResume& resume) override;

  protected:
    // The batch: every queued item in turn (a test may replace it).
    virtual void Run();

  private:
    struct BatchLink;

    void ThreadMain(std::shared_ptr<BatchLink> link);
    void Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text = std::nullopt);
    void Publish();
    bool TakeQueued(int index, QString& address, int& row, int& playlistItem);
    bool StopBatch();
    bool IsAbandoned() const;
    bool OnOwnerThread() const;
    bool OnBatchThread() const;

    MessageTarget* const window_;
    const std::thread::id owner_;
    // The running batch thread's id; empty while none runs.
    std::atomic<std::thread::id> batchThread_{};
    std::thread thread_;
    std::shared_ptr<BatchLink> link_;

    // ---- settings ----
    LockedValue<QString> outputFolder_;
    std::atomic<int> useTitle_{1};
    std::atomic<int> retryTimes_{0};
    std::atomic<int> useInternalCache_{0}; // 0: requests bypass caches
    LockedValue<QString> ytDlpPath_;
    std::atomic<int> youtubeFmt_{1};

    // ---- batch state, written by the batch thread ----
    std::atomic<int> running_{0};
    std::atomic<int> stopFlag_{0};
    ByteCount totalBytes_{0};
    ByteCount receivedBytes_{0};
    QString currentTitle_;
    QString currentPageUrl_;
    VideoSite currentSite_ = NO_SITE;
    QString currentSiteName_;
    std::vector<PageEntry> entries_;
    QString mediaAddress_;
    QString finalPath_;
    QString captchaAddress_; // set by an extractor together with status 207
    QString signInAddress_;  // set by an extractor together with status 208
    int currentRow_ = -1;
    int lastProgress_ = 0;
    bool waitingForDialog_ = false;
    Event captchaDone_{Event::Reset::Auto};
    Event signInDone_{Event::Reset::Auto};

    mutable std::mutex queueMutex_;
    QStringList queueAddresses_;
    QList<quint16> queueRows_;
    QList<int> queueItems_;

    mutable std::mutex stateMutex_;
    QString lastError_; // under stateMutex_: LastError() reads it from any thread
    ItemState published_;
    std::map<int, ItemState> rowStates_;
};
