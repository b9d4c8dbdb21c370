#include "retrieval/DownloadItem.h"

#include "base/AppLog.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/ExtractorFactory.h"
#include "retrieval/FilePlacement.h"
#include "retrieval/TextUtil.h"

#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {
constexpr const char* kCategory = CVideoDownloader::kLogCategory;
constexpr int kReserveTries = 20;
} // namespace

DownloadItem::DownloadItem(DownloadWorker& worker, int row) : w_(worker), row_(row) {}

DownloadItem::~DownloadItem() {
    DeleteTemporaryFiles();
}

void DownloadItem::Run(std::unique_ptr<SiteExtractor> p) {
    const int retries = w_.retryTimes;
    bool succeeded = false;
    bool captchaMark = false;
    bool signInMark = false;
    w_.currentSite = p->site;
    retriesLeft_ = retries;
    attemptNumber_ = retries + 1;
    w_.currentRow = row_;
    // The previous item's temporary name is not this item's to delete.
    w_.tempPath.clear();
    w_.resume = MediaResume{};

    for (;;) {
        p->GetVideoId();
        const int r = p->Resolve();
        if (r == DownloadStatus::FollowAnotherAddress) {
            p = CreateExtractor(p->pageUrl, &w_);
            if (!p)
                break;
            // The file goes to the new site's folder: the history must file
            // it under that site too.
            w_.currentSite = p->site;
        }
        if (!w_.captchaAddress.isEmpty()) {
            AwaitDialog(w_.captchaAddress, w_.captchaDone, captchaMark);
        } else if (!w_.signInAddress.isEmpty()) {
            AwaitDialog(w_.signInAddress, w_.signInDone, signInMark);
        } else if (r != 0) {
            w_.PostStatus(DownloadStatus::Failed);
        } else {
            const Outcome outcome = Download(*p);
            if (outcome == Outcome::Succeeded)
                succeeded = true;
            if (outcome != Outcome::Failed)
                break;
        }
        // A failed attempt's partial file goes now (a retry may choose
        // another name, and must not find its own old file in the way),
        // unless the next attempt may continue it.
        DeleteTemporaryFiles(w_.resume.Usable() ? w_.resume.path : QString());
        // A stop may have cut a network wait short before any block poll.
        w_.CheckStop();
        if (w_.stopFlag || retriesLeft_ <= 0)
            break;
        --retriesLeft_;
        --attemptNumber_;
        LogWarnW(kCategory,
                 QStringLiteral("Retrying download %1, video id: ").arg(attemptNumber_) + p->videoId);
        w_.Post(UM_DOWNLOAD_RETRY, retries - retriesLeft_, w_.currentRow);
    }
    p.reset();
    DeleteTemporaryFiles(); // a partial file never outlives its item
    if (succeeded)
        w_.PostStatus(DownloadStatus::Finished);
    if (w_.stopFlag)
        w_.PostStatus(DownloadStatus::Stopped);
}

void DownloadItem::AwaitDialog(QString& address, Event& done, bool& mark) {
    if (w_.WaitForDialog(done) && !mark) {
        ++retriesLeft_;
        ++attemptNumber_;
    }
    address.clear();
    mark = true;
}

DownloadItem::Outcome DownloadItem::Download(SiteExtractor& p) {
    w_.currentTitle = p.title;
    w_.currentPageUrl = p.pageUrl;
    // The file a broken attempt kept is continued under its own name, when
    // this attempt would give the file that name too. (Naming anew would
    // pass it by: its temporary file makes the name look taken.)
    const QString nameKey = NameKey(p);
    const bool continuing = w_.resume.Usable() && w_.resume.path == w_.tempPath &&
                            created_.contains(w_.tempPath) && nameKey == keptNameKey_ &&
                            !QFileInfo::exists(w_.finalPath);
    if (!continuing) {
        DeleteTemporaryFiles();
        w_.resume = MediaResume{};
        if (!p.MakeFileName(w_.outputFolder, w_.useTitle, w_.finalPath, w_.tempPath))
            return Outcome::Failed;
        if (!ReserveTemporaryFile()) {
            w_.PostStatus(DownloadStatus::Failed);
            return Outcome::Failed;
        }
    }
    keptNameKey_ = nameKey;
    const int d = w_.DownloadMedia(p.mediaUrl);
    if (d != 0) {
        w_.PostStatus(d > 0 ? DownloadStatus::MediaFailed : DownloadStatus::Failed);
        return Outcome::Failed;
    }
    if (w_.finalPath.isEmpty())
        return Outcome::Ended; // stopped just as the last block arrived
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            // The file may still be held open by a scanner: try once more.
            std::this_thread::sleep_for(std::chrono::milliseconds(DownloadWorker::kMoveRetryDelayMs));
        }
        // The name was free when the download began; another download may
        // have finished a file of that name since. It is never replaced:
        // this file takes the next free name instead.
        if (MoveWithoutReplacing(w_.tempPath, w_.finalPath)) {
            ReleaseTemporaryFile(w_.tempPath, false);
            created_.removeAll(w_.tempPath);
            w_.PostItemDownloaded();
            return Outcome::Succeeded;
        }
    }
    // The download is complete in the temporary file: keep it rather than
    // report a file that is not there.
    w_.SetError(QStringLiteral("Can not rename ") + w_.tempPath + QStringLiteral(" to ") + w_.finalPath);
    w_.PostStatus(DownloadStatus::Failed);
    DeleteTemporaryFiles(w_.tempPath);
    ReleaseTemporaryFile(w_.tempPath, false);
    created_.clear();
    return Outcome::Ended;
}

bool DownloadItem::ReserveTemporaryFile() {
    for (int tries = 0; tries < kReserveTries; ++tries) {
        errno = 0;
        if (CreateTemporaryFile(w_.tempPath)) {
            created_ << w_.tempPath;
            return true;
        }
        if (errno != EEXIST)
            break;
        const QFileInfo taken(w_.finalPath);
        const QString next = MakeUniquePath(taken.path(), taken.completeBaseName(), taken.suffix());
        if (next.isEmpty())
            break;
        w_.finalPath = next;
        w_.tempPath = next + QLatin1String(kTemporarySuffix);
    }
    LogErrorW("CVideoDownloader::DownloadFile",
              QStringLiteral("Open file failed: %1, %2\n").arg(w_.tempPath, QString::number(errno)));
    w_.SetError(QStringLiteral("can not create output file"));
    return false;
}

QString DownloadItem::NameKey(const SiteExtractor& p) const {
    return QStringList{
        w_.outputFolder.Get(), QString::number(w_.useTitle), p.siteName, p.title, p.videoId, p.extension}
        .join(QChar(0));
}

void DownloadItem::DeleteTemporaryFiles(const QString& keep) {
    QStringList kept;
    for (const QString& path : std::as_const(created_)) {
        if (path == keep)
            kept << path;
        else
            ReleaseTemporaryFile(path, true);
    }
    created_ = kept;
}
