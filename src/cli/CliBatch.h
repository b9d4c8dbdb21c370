#pragma once
// One zorv-get batch: queues the addresses on a DownloadWorker, shows what
// the worker reports, identifies and records every finished file, and
// produces one result line per address.
//
// Threads: everything here runs on the main thread; the worker's batch
// thread reaches it only through the message queue.

#include "platform/MessageTarget.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class DownloadWorker;
class ProgressView;
class SqliteConnection;

class CliBatch {
  public:
    struct Result {
        QString address;
        bool downloaded = false;
        bool stopped = false; // the user stopped the batch during this item
        QString line;         // what the final summary prints for the address
    };

    CliBatch(ProgressView& view, SqliteConnection* history);
    ~CliBatch();

    // Asks the user to act in a browser; returns when they are done. The
    // default waits for Enter when standard input is a terminal.
    std::function<void(const QString& prompt)> waitForUser;
    // Polled while the batch runs; true asks the worker to stop (Ctrl-C).
    std::function<bool()> stopRequested;

    // Runs the batch to its end. Settings come from Settings().Shared().
    void Run(const QStringList& addresses);
    const std::vector<Result>& Results() const { return results_; }
    bool AllDownloaded() const;

  private:
    void Handle(const PostedMessage& m);
    // Announces the item of `row` when it is not the one shown last.
    void NoteRow(int row);
    void OnStatus(int code, int row, const std::optional<QString>& text);
    void OnItemDone(int row);

    ProgressView& view_;
    SqliteConnection* history_;
    QueueMessageTarget queue_;
    std::shared_ptr<DownloadWorker> worker_;
    std::vector<Result> results_;
    bool finished_ = false;
    bool stopping_ = false;
    int currentRow_ = -1;
    QString lastErrorLine_;
};
