#include "retrieval/DownloadWorker.h"

#include "app/AppLog.h"
#include "app/Localization.h"
#include "retrieval/ExtractorFactory.h"
#include "retrieval/TextUtil.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr const char* kCategory = "CVideoDownloader";
} // namespace

// What one batch thread shares with the window. The thread keeps it alive,
// so it outlives an abandoned batch.
struct DownloadWorker::BatchLink {
    std::mutex mutex;
    MessageTarget* receiver = nullptr; // null once the batch was abandoned
    Event stopEvent{Event::Reset::Manual};
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
    if (link_ && link_->stopEvent.Wait(stopWaitMs)) {
        stopFlag = 1;
        return 1;
    }
    return 0;
}

bool DownloadWorker::WaitForDialog(Event& done) {
    // The browser address was set after its status went out: publish it so
    // the window can read it while this thread sleeps.
    Publish();
    if (!link_)
        return done.Wait(-1);
    // A stop request must not sit behind a dialog the user may never close.
    if (Event::WaitAny(done, link_->stopEvent, -1) == 1) {
        stopFlag = 1;
        return false;
    }
    return true;
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

void DownloadWorker::PostTitle() {
    Post(UM_DOWNLOAD_TITLE, currentRow, 0);
}

void DownloadWorker::PostItemDownloaded() {
    if (!stopFlag)
        Post(UM_DOWNLOAD_ITEM_DONE, 0, currentRow);
}

void DownloadWorker::SetError(const QString& text) {
    lastError = text;
    LogErrorW(kCategory, QStringLiteral("Error: %1").arg(text));
}

int DownloadWorker::DownloadMedia(const QString& mediaUrl) {
    CVideoDownloader downloader(this);
    return downloader.GetFLVFile(mediaUrl, tempPath, mediaAddress, totalBytes, receivedBytes);
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
        RunItem(std::move(p), row);
    }
    if (link_)
        link_->runReturned = true;
    Post(stopFlag ? UM_DOWNLOAD_STOPPED : UM_DOWNLOAD_ALL_DONE, 0, 0);
    DeleteTemp();
    lastProgress = 0;
}

void DownloadWorker::RunItem(std::unique_ptr<SiteExtractor> p, int row) {
    const int retries = retryTimes;
    bool succeeded = false;
    bool keepTemp = false;
    bool captchaMark = false;
    bool signInMark = false;
    currentSite = p->site;
    int retriesLeft = retries;
    int attemptNumber = retries + 1;
    currentRow = row;
    // The previous item's temporary name is not this item's to delete.
    tempPath.clear();

    for (;;) {
        p->GetVideoId();
        int r = p->Resolve();
        if (r == DownloadStatus::FollowAnotherAddress) {
            p = CreateExtractor(p->pageUrl, this);
            if (!p)
                break;
            // The file goes to the new site's folder: the history must file
            // it under that site too.
            currentSite = p->site;
        }
        if (!captchaAddress.isEmpty()) {
            // The first dialog earns the item one more attempt.
            if (WaitForDialog(captchaDone) && !captchaMark) {
                ++retriesLeft;
                ++attemptNumber;
            }
            captchaAddress.clear();
            captchaMark = true;
        } else if (!signInAddress.isEmpty()) {
            if (WaitForDialog(signInDone) && !signInMark) {
                ++retriesLeft;
                ++attemptNumber;
            }
            signInAddress.clear();
            signInMark = true;
        } else if (r != 0) {
            PostStatus(DownloadStatus::Failed);
        } else {
            currentTitle = p->title;
            currentPageUrl = p->pageUrl;
            if (p->MakeFileName(outputFolder, useTitle, finalPath, tempPath)) {
                const int d = DownloadMedia(p->mediaUrl);
                if (d == 0) {
                    if (finalPath.isEmpty())
                        break; // stopped just as the last block arrived
                    if (MoveToFinal()) {
                        PostItemDownloaded();
                        succeeded = true;
                        break;
                    }
                    // The download is complete in the temporary file: keep it
                    // rather than report a file that is not there.
                    SetError(QStringLiteral("Can not rename %1 to %2").arg(tempPath, finalPath));
                    PostStatus(DownloadStatus::Failed);
                    keepTemp = true;
                    break;
                }
                PostStatus(d > 0 ? DownloadStatus::MediaFailed : DownloadStatus::Failed);
            }
        }
        // An abandoned batch may never have polled the stop request: its
        // network wait was cut off instead.
        if (IsAbandoned())
            stopFlag = 1;
        if (stopFlag || retriesLeft <= 0)
            break;
        --retriesLeft;
        --attemptNumber;
        LogWarnW(kCategory,
                 QStringLiteral("Retrying download %1, video id: %2").arg(attemptNumber).arg(p->videoId));
        Post(UM_DOWNLOAD_RETRY, retries - retriesLeft, currentRow);
    }
    p.reset();
    if (keepTemp)
        tempPath.clear();
    else if (!succeeded)
        DeleteTemp(); // a partial file never outlives its item
    if (succeeded)
        PostStatus(DownloadStatus::Finished);
    if (stopFlag)
        PostStatus(DownloadStatus::Stopped);
}

bool DownloadWorker::MoveToFinal() {
    namespace fs = std::filesystem;
    const fs::path from(QFile::encodeName(tempPath).toStdString());
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            // The file may still be held open by a scanner: try once more.
            std::this_thread::sleep_for(std::chrono::milliseconds(kMoveRetryDelayMs));
        }
        // The name was free when the download began; another download may
        // have finished a file of that name since. It is not replaced: this
        // file takes the next free name instead.
        for (int clash = 0; clash < 3; ++clash) {
            const QByteArray to = QFile::encodeName(finalPath);
            if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
                return true;
            if (errno == EINVAL || errno == ENOSYS) {
                // A file system without the no-replace flag: a plain move.
                std::error_code error;
                fs::rename(from, fs::path(to.toStdString()), error);
                if (!error)
                    return true;
                break;
            }
            if (errno != EEXIST)
                break;
            const QFileInfo taken(finalPath);
            const QString next = MakeUniquePath(taken.path(), taken.completeBaseName(), taken.suffix());
            if (next.isEmpty())
                return false;
            finalPath = next;
        }
    }
    return false;
}

void DownloadWorker::DeleteTemp() {
    if (!tempPath.isEmpty())
        QFile::remove(tempPath);
}
