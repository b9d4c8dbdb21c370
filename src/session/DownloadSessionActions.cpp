// The session's media actions: queued from the front-end thread, run one
// after another on the action thread, their results identified on the
// finisher thread and recorded from Dispatch.
#include "session/DownloadSession.h"

#include "base/ThreadCheck.h"
#include "history/HistoryDb.h"
#include "session/MediaActionJob.h"

#define ZORV_SESSION_THREAD_ONLY(what)                                                                       \
    ZORV_CHECK_THREAD(OnOwnerThread(),                                                                       \
                      "DownloadSession::" what " called off the thread that made the session")

quint64 DownloadSession::StartAction(const ActionRequest& request) {
    ZORV_SESSION_THREAD_ONLY("StartAction");
    const quint64 id = nextJob_++;
    ActionRecord& record = actions_[id];
    record.id = id;
    record.request = request;
    {
        std::lock_guard lock(actionMutex_);
        actionQueue_.push_back({id, request});
    }
    actionWake_.notify_all();
    return id;
}

void DownloadSession::StopActions() {
    ZORV_SESSION_THREAD_ONLY("StopActions");
    // Numbers only grow: everything started so far is at or below the last.
    stoppedUpTo_ = nextJob_ - 1;
    actionWake_.notify_all();
}

void DownloadSession::ActionEnded(quint64 id) {
    auto record = actions_.find(id);
    if (record == actions_.end())
        return;
    const ActionRecord ended = std::move(record->second);
    actions_.erase(record);
    observer_.OnActionEnded(ended);
    if (holdFor_ == id) {
        holdFor_ = 0;
        Drain();
    }
}

void DownloadSession::ActionMain() {
    for (;;) {
        QueuedAction job;
        {
            std::unique_lock lock(actionMutex_);
            actionWake_.wait(lock, [this] { return quit_ || !actionQueue_.empty(); });
            if (quit_)
                return;
            job = std::move(actionQueue_.front());
            actionQueue_.pop_front();
        }
        const quint64 id = job.id;
        const auto stopped = [this, id] { return id <= stoppedUpTo_.load(); };
        ActionResult result;
        if (stopped()) {
            result.stopped = true;
        } else {
            FFMpegCallbacks callbacks;
            callbacks.stopRequested = stopped;
            callbacks.progress = [this, id](int perMille) {
                target_->Post(UM_SESSION_ACTION_PROGRESS, perMille, static_cast<qintptr>(id));
            };
            const MediaActionOutcome outcome =
                RunMediaActionJob(job.request.path, job.request.action, callbacks, QString(),
                                  job.request.original ? &*job.request.original : nullptr);
            result.done = outcome.kind == FFMpegResultKind::Ok;
            result.stopped = outcome.kind == FFMpegResultKind::Stopped;
            result.error = outcome.error;
            result.path = outcome.path;
            result.originalRemoved = outcome.originalRemoved;
        }
        {
            std::lock_guard lock(actionMutex_);
            if (quit_)
                return;
            actionResults_[id] = std::move(result);
        }
        target_->Post(UM_SESSION_ACTION_DONE, static_cast<qintptr>(id), 0);
    }
}

void DownloadSession::ActionProgressed(quint64 id, int perMille) {
    const auto record = actions_.find(id);
    if (record != actions_.end())
        observer_.OnActionProgress(id, record->second.request.row, perMille);
}

void DownloadSession::ActionDone(quint64 id) {
    ActionResult result;
    {
        std::lock_guard lock(actionMutex_);
        auto it = actionResults_.find(id);
        if (it == actionResults_.end())
            return;
        result = std::move(it->second);
        actionResults_.erase(it);
    }
    auto record = actions_.find(id);
    if (record == actions_.end())
        return;
    ActionRecord& r = record->second;
    r.done = result.done;
    r.stopped = result.stopped;
    r.error = result.error;
    r.path = result.path;
    r.originalRemoved = result.originalRemoved;
    if (r.originalRemoved && history_) {
        // The result takes the place of the original's row.
        DownloadTask gone;
        gone.location = r.request.path;
        DeleteHistory(history_, gone);
    }
    if (r.done) {
        const quint64 job = nextJob_++;
        actionIdentifications_[job] = id;
        QueueIdentification(job, r.path, true);
    } else {
        ActionEnded(id);
    }
}

void DownloadSession::ActionIdentified(quint64 id, bool identified, const MediaInfo& info) {
    auto record = actions_.find(id);
    if (record == actions_.end())
        return;
    ActionRecord& r = record->second;
    r.identified = identified;
    r.info = info;
    if (r.identified) {
        r.task.ApplyMediaInfo(r.path, r.info);
        r.task.pageUrl = r.request.pageUrl;
        r.task.site = r.request.site;
        r.task.siteName = r.request.siteName;
        r.historyTried = history_ != nullptr;
        r.historyInserted = history_ && InsertHistory(history_, r.task);
    }
    ActionEnded(id);
}
