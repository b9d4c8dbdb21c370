#pragma once
// The background downloader: takes a queue of video page addresses, works
// through them one after another on its own thread (resolving each page with
// its site's extractor, downloading the media file, retrying failures) and
// reports to the window with posted notifications (DownloadMessages.h).
//
// Threads
//   Window thread: constructor, Enqueue, Start, Stop, destructor; writes the
//     settings (outputFolder, useTitle, retryTimes, useInternalCache) at any
//     time; reads the item's results with Snapshot()/RowSnapshot() when a
//     notification arrives; signals captchaDone / signInDone when its browser
//     dialog has closed.
//   Batch thread: Run and everything it calls. The extractors and
//     CVideoDownloader see the worker only as their TransferContext
//     (PostStatus, PostProgress, PostTitle, SetError, CheckStop, ...); the
//     item's attempts run in DownloadItem. The batch thread is the only
//     writer of the plain result fields.
//
// Data that crosses threads (and only this): the queue (under its own lock),
// the settings (atomics and a locked value), the published item state (under
// a lock, refreshed before every notification), the byte counters (atomics),
// `running` and `stopFlag` (atomics), the stop event and the two dialog
// events (Event is thread-safe), and the batch link: the receiver pointer a
// notification goes to, cleared under its lock when a batch is abandoned.
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

class DownloadWorker : public TransferContext, public std::enable_shared_from_this<DownloadWorker> {
  public:
    static constexpr int kStopDeadlineMs = 5000;
    static constexpr int kMoveRetryDelayMs = 1000;

    // What the window reads about an item, copied under a lock.
    struct ItemState {
        int row = -1;
        VideoSite site = NO_SITE;
        QString title;
        QString pageUrl;
        QString finalPath;
        QString mediaAddress;
        QString lastError;
        QString captchaAddress;
        QString signInAddress;
        // The batch waits for the CAPTCHA or sign-in dialog to close.
        bool waitingForDialog = false;
    };

    explicit DownloadWorker(MessageTarget* window);
    virtual ~DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // ---- window thread ----
    // Appends an address with its row; a running batch picks it up.
    void Enqueue(const QString& address, int row);
    // Starts a batch thread over the queue. False when one still runs or the
    // thread could not be started.
    bool Start();
    // Requests a stop and waits for the batch thread (at most 5000 ms), then
    // posts UM_DOWNLOAD_STOPPED. False when no batch thread existed.
    bool Stop();
    // The item state published with the latest notification.
    ItemState Snapshot() const;
    // The state published with the latest notification about `row`.
    std::optional<ItemState> RowSnapshot(int row) const;
    // The text shown for a status code; empty for codes without one.
    static QString StatusText(int code);
    // A numbered user-visible text (status texts, error texts).
    static QString LocalText(int id);

    // ---- batch thread ----
    // Downloads the current item's media into tempPath; the transport's
    // result code (0 when the file is complete).
    virtual int DownloadMedia(const QString& mediaUrl);
    virtual void Run();
    // TransferContext. CheckStop is a flag read, no system call.
    int CheckStop() override;
    bool StopRequested() const override; // any thread
    void PostStatus(int code, std::optional<QString> text = std::nullopt) override;
    void PostProgress(int perMille) override;
    void SetByteCounts(quint64 received, quint64 total) override;
    void PostTitle(const QString& title) override;
    void SetError(const QString& text) override;
    int UseInternalCache() const override { return useInternalCache; }
    void RequestCaptcha(const QString& address) override { captchaAddress = address; }
    void RequestSignIn(const QString& address) override { signInAddress = address; }
    void PostTitle();
    void PostItemDownloaded();
    // True once Stop gave up on this batch: the thread should wind down.
    bool IsAbandoned() const;
    // Waits for a browser dialog to close (or for a stop request). True when
    // the dialog closed; false when stopped.
    bool WaitForDialog(Event& done);

    // ---- settings, written by the window ----
    LockedValue<QString> outputFolder;
    std::atomic<int> useTitle{1};
    std::atomic<int> retryTimes{0};
    std::atomic<int> useInternalCache{0}; // 0: requests bypass caches

    // ---- results, written by the batch thread ----
    QString currentTitle;
    QString currentPageUrl;
    VideoSite currentSite = NO_SITE;
    std::atomic<int> running{0};
    std::atomic<int> stopFlag{0};
    ByteCount totalBytes{0};
    ByteCount receivedBytes{0};
    QString mediaAddress;
    QString finalPath;
    QString tempPath;
    // What the current item's temporary file holds from a broken attempt.
    MediaResume resume;
    QString lastError;
    QString captchaAddress; // set by an extractor together with status 207
    QString signInAddress;  // set by an extractor together with status 208
    Event captchaDone{Event::Reset::Auto};
    Event signInDone{Event::Reset::Auto};
    int currentRow = -1;
    int stopWaitMs = 0;
    int lastProgress = 0;
    std::atomic<long> threadId{0};

  private:
    friend class DownloadItem;
    struct BatchLink;

    void ThreadMain(std::shared_ptr<BatchLink> link);
    void Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text = std::nullopt);
    void Publish();
    bool TakeQueued(int index, QString& address, int& row);

    MessageTarget* const window_;
    std::thread thread_;
    std::shared_ptr<BatchLink> link_;

    mutable std::mutex queueMutex_;
    QStringList queueAddresses_;
    QList<quint16> queueRows_;

    mutable std::mutex stateMutex_;
    ItemState published_;
    bool waitingForDialog_ = false; // batch thread
    std::map<int, ItemState> rowStates_;
};
