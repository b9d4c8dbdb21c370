#pragma once
// One download session: the download worker of a front end (the window or
// zorv-get), the settings it is given, the decoding of its notifications
// into calls of a typed observer, the step that follows a finished item
// (identification, media info, history row) and the CAPTCHA / sign-in
// handshake. The front ends implement SessionObserver and only draw or print.
//
// Order: the observer sees the worker's notifications in the order posted.
// A finished item (UM_DOWNLOAD_ITEM_DONE) is identified on the session's
// finisher thread; every notification posted after it is held back until
// the item is recorded, so the observer sees the item's later statuses
// (110 "Finished") and the batch's end (OnBatchEnded) only after
// OnItemRecorded. zorv-get therefore never ends before its last result and
// the window never beeps or powers off before the last file is recorded.
//
// Threads
//   Front-end thread (the thread that made the session; the window's
//     thread, zorv-get's main thread): every member function and every
//     observer call. Dispatch is fed from that thread's queue of posted
//     messages (GuiMessageTarget events, QueueMessageTarget). The history
//     connection (SqliteConnection) belongs to this thread (the history list
//     reads it), so the history insert runs here, in Dispatch, when the
//     identification's result comes back. Checked in debug builds.
//   Batch thread: the worker's (see DownloadWorker.h); it reaches the
//     session only through the MessageTarget.
//   Finisher thread (one per session, for its whole life): identifies the
//     finished items' files one after another (mplayer, up to 30 s each) and
//     posts each result to the same MessageTarget as the session-private
//     message UM_SESSION_ITEM_IDENTIFIED. It shares with the front-end thread
//     only its job queue and result table (under a lock) and the cancel flag
//     (atomic). The destructor cancels a running identification (mplayer is
//     killed and reaped), drops the queued ones and joins the thread.
//
// Media actions (a range cut out, a conversion; MediaActionJob.h) run one
// after another on the session's action thread (one per session, for its
// whole life), each reporting to the observer like a download: progress,
// then its end, after its result was identified (on the finisher thread)
// and recorded in the history under the original's page and site. The
// action thread shares with the front-end thread only its job queue and
// result table (under a lock) and the number of the last stopped action
// (atomic). With an after-download action set, every finished download
// that was identified gets it, and what the worker posts after that item
// is held back until the action has ended, so a front end sees a download,
// its action, then the next download.
//
// The CAPTCHA and sign-in dialogs: on status 207 / 208 the session waits
// (up to kAddressWaitMs, on the front-end thread) for the worker to publish
// the browser address, asks the observer (OnDialogNeeded returns when the
// user is done) and then always releases the waiting worker, also when the
// observer throws.

#include "history/DownloadTask.h"
#include "mediatools/MediaAction.h"
#include "mediatools/MediaInfo.h"
#include "platform/MessageTarget.h"
#include "retrieval/DownloadWorker.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

struct SettingsValues;
class SqliteConnection;

// What the session made of one finished item.
struct RecordedItem {
    int row = -1;
    bool published = false; // the worker had published a state for the row
    QString path;           // the downloaded file; empty when none was published
    QString pageUrl;
    int site = NO_SITE;
    QString siteName;        // OTHER_SITE: the site's name as yt-dlp gives it
    bool identified = false; // mplayer described the file (info and task are filled)
    MediaInfo info;
    DownloadTask task;            // the history row: the info, path, page and site
    bool historyWasEmpty = false; // the history held no row before this item
    bool historyTried = false;    // identified, and a history connection was given
    bool historyInserted = false; // ... and it took the row
};

// A media action on a file (usually a finished download, or a row's file).
struct ActionRequest {
    int row = -1; // the front end's row the action reports for
    QString path; // the original
    QString pageUrl;
    int site = NO_SITE;
    QString siteName;
    MediaAction action;
    // The original as the session identified it just now (an action after a
    // download): the action need not read it again.
    std::optional<MediaInfo> original;
};

// What became of one media action.
struct ActionRecord {
    quint64 id = 0; // StartAction's number
    ActionRequest request;
    bool done = false;    // the result is in place at `path`
    bool stopped = false; // a stop ended it; nothing of it is left
    QString error;        // neither: why it failed (the original stays)
    QString path;
    bool originalRemoved = false;
    bool identified = false; // mplayer described the result (info and task are filled)
    MediaInfo info;
    DownloadTask task; // the history row: the result under the original's page and site
    bool historyTried = false;
    bool historyInserted = false;
};

// What a front end does with the session's reports. Every call comes on the
// front-end thread, from DownloadSession::Dispatch.
class SessionObserver {
  public:
    virtual ~SessionObserver() = default;
    // A status code for `row`: `shown` is the posted text or the code's own
    // text, `error` the item's error text at the time.
    virtual void OnItemStatus(int row, int code, const QString& shown, const QString& error) = 0;
    virtual void OnItemProgress(int row, int perMille, quint64 received, quint64 total,
                                const QString& mediaAddress) = 0;
    virtual void OnItemRetry(int row, int retry) = 0;
    virtual void OnItemTitle(int row, const QString& title) = 0;
    // The page of `row` holds more videos: each becomes a row of its own,
    // in this order, queued with its address and playlist item number.
    virtual void OnItemEntries(int /*row*/, const std::vector<PageEntry>& /*entries*/) {}
    // A finished item was identified and recorded (or failed to be).
    virtual void OnItemRecorded(const RecordedItem& item) = 0;
    // A file handed to IdentifyFile was identified (or could not be).
    virtual void OnFileIdentified(const QString& /*path*/, bool /*identified*/, const MediaInfo& /*info*/) {}
    // The site asks for a browser dialog at `address`; returns when the user
    // is done with it. The worker goes on however this returns.
    virtual void OnDialogNeeded(int row, BrowserDialog kind, const QString& address) = 0;
    // A media action's progress, per-mille of the result's length.
    virtual void OnActionProgress(quint64 /*id*/, int /*row*/, int /*perMille*/) {}
    // A media action ended (done, stopped or failed) and its result was
    // identified and recorded.
    virtual void OnActionEnded(const ActionRecord& /*record*/) {}
    // The batch ended: stopped, or every item done. Also for the second
    // UM_DOWNLOAD_STOPPED that Stop posts.
    virtual void OnBatchEnded(bool stopped) = 0;
};

class DownloadSession {
  public:
    // How long the browser address may trail its status notification.
    static constexpr int kAddressWaitMs = 5000;
    // The finisher's result: wParam the job number.
    static constexpr int UM_SESSION_ITEM_IDENTIFIED = 5140;
    // The action thread's reports: wParam per-mille, lParam the action; and
    // wParam the action that ended.
    static constexpr int UM_SESSION_ACTION_PROGRESS = 5141;
    static constexpr int UM_SESSION_ACTION_DONE = 5142;

    // `target`: where the worker and the finisher post (the front end's
    // queue, drained on its thread into Dispatch); it must outlive the session.
    DownloadSession(MessageTarget* target, SessionObserver& observer);
    ~DownloadSession(); // stops the worker, cuts an identification short, joins
    DownloadSession(const DownloadSession&) = delete;
    DownloadSession& operator=(const DownloadSession&) = delete;

    DownloadWorker& Worker() { return *worker_; }
    const DownloadWorker& Worker() const { return *worker_; }

    // The output folder (cleaned by NormalizeOutputFolder), use-title,
    // retries and the internal-cache flag.
    void Configure(const SettingsValues& settings);
    // Only the output folder, cleaned; returns the cleaned folder.
    QString SetOutputFolder(const QString& folder);
    QString OutputFolder() const { return worker_->OutputFolder(); }
    // The history finished items are recorded in (may be null).
    void SetHistory(SqliteConnection* db) { history_ = db; }

    // The action every identified download gets from now on (one that is
    // not IsSet(): none). Configure sets it from the settings too.
    void SetAfterDownload(const MediaAction& action) { afterDownload_ = action; }
    const MediaAction& AfterDownload() const { return afterDownload_; }
    // Queues a media action; returns its number.
    quint64 StartAction(const ActionRequest& request);
    // Stops the running action and every queued one: each ends as stopped.
    void StopActions();
    // Actions started and not yet ended (OnActionEnded not yet called).
    int ActionsOutstanding() const { return static_cast<int>(actions_.size()); }

    // Decodes one posted message: a worker notification or the finisher's
    // result. False for any other message (left to the caller).
    bool Dispatch(const PostedMessage& m);
    // Finished items not yet recorded.
    int Outstanding() const { return static_cast<int>(jobs_.size()); }
    // Identifies a local file (a dropped one) on the finisher thread, after
    // the files queued before it; the result comes to OnFileIdentified.
    void IdentifyFile(const QString& path);

  private:
    // One decoded notification, its values read when it arrived.
    struct Note {
        int msg = 0;
        int row = -1;
        int number = 0; // status code, per-mille or retry number
        QString shown;
        QString text; // error text, title or media address
        quint64 received = 0;
        quint64 total = 0;
        quint64 job = 0; // UM_DOWNLOAD_ITEM_DONE: its record
        std::vector<PageEntry> entries;
    };
    struct Job {
        RecordedItem record;
        bool ready = false;
    };
    struct Identification {
        bool identified = false;
        MediaInfo info;
    };

    void Drain();
    void Deliver(const Note& note);
    void Record(RecordedItem& record);
    QString WaitForAddress(int row, BrowserDialog kind) const;
    void FinisherMain();
    // DownloadSessionActions.cpp
    void ActionMain();
    void ActionProgressed(quint64 id, int perMille);
    void ActionDone(quint64 id);
    void ActionIdentified(quint64 id, bool identified, const MediaInfo& info);
    void ActionEnded(quint64 id);
    void QueueIdentification(quint64 job, const QString& path, bool anyMedia);
    bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

    MessageTarget* const target_;
    SessionObserver& observer_;
    const std::thread::id owner_;
    std::shared_ptr<DownloadWorker> worker_;
    SqliteConnection* history_ = nullptr;

    // ---- front-end thread ----
    std::deque<Note> pending_;
    std::map<quint64, Job> jobs_;
    std::map<quint64, QString> fileJobs_; // IdentifyFile's jobs: the path
    quint64 nextJob_ = 1;
    bool draining_ = false;
    MediaAction afterDownload_;
    std::map<quint64, ActionRecord> actions_;
    std::map<quint64, quint64> actionIdentifications_; // finisher job -> action
    quint64 holdFor_ = 0;                              // the after-download action later notes wait for

    // ---- shared with the finisher thread ----
    std::mutex finisherMutex_;
    std::condition_variable finisherWake_;
    struct FinisherJob {
        quint64 job = 0;
        QString path;
        bool anyMedia = false; // audio alone counts (an action's MP3 or M4A)
    };
    std::deque<FinisherJob> finisherQueue_;
    std::map<quint64, Identification> finished_;
    std::atomic<bool> quit_{false}; // also read by the finisher's wait predicate
    std::atomic<bool> cancel_{false};
    std::thread finisher_;

    // ---- shared with the action thread ----
    struct ActionResult {
        bool done = false;
        bool stopped = false;
        QString error;
        QString path;
        bool originalRemoved = false;
    };
    std::mutex actionMutex_;
    std::condition_variable actionWake_;
    struct QueuedAction {
        quint64 id = 0;
        ActionRequest request;
    };
    std::deque<QueuedAction> actionQueue_;
    std::map<quint64, ActionResult> actionResults_;
    std::atomic<quint64> stoppedUpTo_{0}; // every action up to this number stops
    std::thread actionThread_;
};
