#pragma once
// One zorv-get batch: queues the addresses on a DownloadSession, prints what
// the session reports (it decodes the worker's notifications, identifies and
// records every finished file) and produces one result line per address.
//
// Threads: everything here runs on the main thread; the worker's batch
// thread and the session's finisher thread reach it only through the
// message queue, which Run drains into the session.

#include "platform/MessageTarget.h"
#include "session/DownloadSession.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ProgressView;
class SqliteConnection;

class CliBatch : private SessionObserver {
  public:
    struct Result {
        QString address;
        int playlistItem = 0; // > 0: that video of the page at `address`
        bool downloaded = false;
        bool stopped = false; // the user stopped the batch during this item
        QString line;         // what the final summary prints for the address
        // The after-download action: its summary line (empty when none
        // ran), whether it failed or was stopped, whether the downloaded
        // file went (its line is then not printed).
        QString actionLine;
        bool actionFailed = false;
        bool originalRemoved = false;
        // The summary: the download's line unless its file went, then the
        // action's.
        QStringList Lines() const;
    };

    CliBatch(ProgressView& view, SqliteConnection* history);
    ~CliBatch() override;

    // Asks the user to act in a browser; returns when they are done. The
    // default waits for Enter when standard input is a terminal.
    std::function<void(const QString& prompt)> waitForUser;
    // Polled while the batch runs; true asks the worker to stop (Ctrl-C).
    std::function<bool()> stopRequested;
    // Replaces the settings' after-download action when set.
    std::optional<MediaAction> afterDownload;

    // Runs the batch to its end. Settings come from Settings().Shared().
    void Run(const QStringList& addresses);
    const std::vector<Result>& Results() const { return results_; }
    bool AllDownloaded() const;

  private:
    // SessionObserver
    void OnItemStatus(int row, int code, const QString& shown, const QString& error) override;
    void OnItemProgress(int row, int perMille, quint64 received, quint64 total,
                        const QString& mediaAddress) override;
    void OnItemRetry(int row, int retry) override;
    void OnItemTitle(int row, const QString& title) override;
    void OnItemEntries(int row, const std::vector<PageEntry>& entries) override;
    void OnItemRecorded(const RecordedItem& item) override;
    void OnDialogNeeded(int row, BrowserDialog kind, const QString& address) override;
    void OnActionProgress(quint64 id, int row, int perMille) override;
    void OnActionEnded(const ActionRecord& record) override;
    void OnBatchEnded(bool stopped) override;

    // The address of a result as printed.
    static QString Shown(const Result& r);
    // Announces the item of `row` when it is not the one shown last.
    void NoteRow(int row);

    ProgressView& view_;
    QueueMessageTarget queue_; // before the session: it posts here until it is gone
    DownloadSession session_;
    std::vector<Result> results_;
    bool finished_ = false;
    bool stopping_ = false;
    int currentRow_ = -1;
    QString lastErrorLine_;
};
