#include "retrieval/DownloadItem.h"

#include "base/AppLog.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "platform/FileAttributes.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/DownloadMessages.h"
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
// The file may still be held open by a scanner: a second move waits this long.
constexpr int kMoveRetryDelayMs = 1000;
} // namespace

DownloadItem::DownloadItem(ItemHost& host, int row) : w_(host), row_(row) {}

DownloadItem::~DownloadItem() {
    DeleteTemporaryFiles();
}

bool DownloadItem::Run(std::unique_ptr<SiteExtractor> p) {
    const int retries = w_.ItemSettings().retryTimes;
    bool succeeded = false;
    bool captchaMark = false;
    bool signInMark = false;
    int lastResolve = 0;
    retriesLeft_ = retries;
    attemptNumber_ = retries + 1;
    w_.BeginItem(row_, p->site);

    for (;;) {
        p->GetVideoId();
        const int r = p->Resolve();
        lastResolve = r;
        if (r == DownloadStatus::FollowAnotherAddress) {
            p = CreateExtractor(p->pageUrl, &w_);
            if (!p)
                break;
            // The file goes to the new site's folder: the history must file
            // it under that site too.
            w_.SetItemSite(p->site);
        }
        const std::optional<BrowserDialog> dialog = w_.RequestedDialog();
        if (dialog) {
            AwaitDialog(*dialog, *dialog == BrowserDialog::Captcha ? captchaMark : signInMark);
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
        DeleteTemporaryFiles(resume_.Usable() ? resume_.path : QString());
        // A stop may have cut a network wait short before any block poll.
        w_.CheckStop();
        if (w_.Stopped() || retriesLeft_ <= 0)
            break;
        --retriesLeft_;
        --attemptNumber_;
        LogWarnW(kCategory,
                 QStringLiteral("Retrying download %1, video id: ").arg(attemptNumber_) + p->videoId);
        w_.PostRetry(retries - retriesLeft_);
    }
    p.reset();
    DeleteTemporaryFiles(); // a partial file never outlives its item
    if (succeeded)
        w_.PostStatus(DownloadStatus::Finished);
    if (w_.Stopped())
        w_.PostStatus(DownloadStatus::Stopped);
    // -2: the page held no media address the extractor could find.
    return !succeeded && !w_.Stopped() && lastResolve == -2;
}

void DownloadItem::AwaitDialog(BrowserDialog kind, bool& mark) {
    if (w_.WaitForDialog(kind) && !mark) {
        ++retriesLeft_;
        ++attemptNumber_;
    }
    mark = true;
}

DownloadItem::Outcome DownloadItem::Download(SiteExtractor& p) {
    w_.SetItemPage(p.title, p.pageUrl);
    // The file a broken attempt kept is continued under its own name, when
    // this attempt would give the file that name too. (Naming anew would
    // pass it by: its temporary file makes the name look taken.)
    const QString nameKey = NameKey(p);
    const bool continuing = resume_.Usable() && resume_.path == tempPath_ && created_.contains(tempPath_) &&
                            nameKey == keptNameKey_ && !QFileInfo::exists(finalPath_);
    if (!continuing) {
        DeleteTemporaryFiles();
        resume_ = MediaResume{};
        const ItemHost::Settings settings = w_.ItemSettings();
        const int named = p.MakeFileName(settings.outputFolder, settings.useTitle, finalPath_, tempPath_);
        w_.SetFinalPath(finalPath_);
        if (!named)
            return Outcome::Failed;
        if (!ReserveTemporaryFile()) {
            w_.PostStatus(DownloadStatus::Failed);
            return Outcome::Failed;
        }
        ContinueKilledDownload(p.pageUrl);
    }
    keptNameKey_ = nameKey;
    const ItemHost::MediaDownload media = w_.DownloadMedia(p.mediaUrl, tempPath_, resume_);
    // A stopped download never gets its final name, even when its last
    // block had arrived.
    if (media.stopped) {
        finalPath_.clear();
        w_.SetFinalPath(finalPath_);
    }
    const int d = media.code;
    if (d != 0) {
        w_.PostStatus(d > 0 ? DownloadStatus::MediaFailed : DownloadStatus::Failed);
        return Outcome::Failed;
    }
    if (finalPath_.isEmpty())
        return Outcome::Ended; // stopped just as the last block arrived
    if (!TemporaryFileIntact(tempPath_)) {
        // Another name was put in its place: what it points to is not ours.
        w_.SetError(FillFormat(LoadText(TextId::TemporaryFileReplaced), {tempPath_}));
        w_.PostStatus(DownloadStatus::Failed);
        return Outcome::Ended;
    }
    NameAfterContainer(p);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            // The file may still be held open by a scanner: try once more.
            std::this_thread::sleep_for(std::chrono::milliseconds(kMoveRetryDelayMs));
        }
        // The name was free when the download began; another download may
        // have finished a file of that name since. It is never replaced:
        // this file takes the next free name instead.
        if (MoveWithoutReplacing(tempPath_, finalPath_)) {
            ReleaseTemporaryFile(tempPath_, false);
            created_.removeAll(tempPath_);
            w_.SetFinalPath(finalPath_); // the name it got
            w_.PostItemDownloaded();
            return Outcome::Succeeded;
        }
    }
    // The download is complete in the temporary file: keep it rather than
    // report a file that is not there.
    w_.SetError(QStringLiteral("Can not rename ") + tempPath_ + QStringLiteral(" to ") + finalPath_);
    w_.PostStatus(DownloadStatus::Failed);
    DeleteTemporaryFiles(tempPath_);
    ReleaseTemporaryFile(tempPath_, false);
    created_.clear();
    return Outcome::Ended;
}

bool DownloadItem::ReserveTemporaryFile() {
    for (int tries = 0; tries < kReserveTries; ++tries) {
        errno = 0;
        // A file a killed run left may be continued: its bytes stay for now.
        if (CreateTemporaryFile(tempPath_, Takeover::Keep)) {
            created_ << tempPath_;
            return true;
        }
        if (errno != EEXIST)
            break;
        const QFileInfo taken(finalPath_);
        const QString next = MakeUniquePath(taken.path(), taken.completeBaseName(), taken.suffix());
        if (next.isEmpty())
            break;
        finalPath_ = next;
        tempPath_ = next + QLatin1String(kTemporarySuffix);
        w_.SetFinalPath(finalPath_);
    }
    LogErrorW("CVideoDownloader::DownloadFile",
              QStringLiteral("Open file failed: %1, %2\n").arg(tempPath_, QString::number(errno)));
    w_.SetError(QStringLiteral("can not create output file"));
    return false;
}

void DownloadItem::ContinueKilledDownload(const QString& pageUrl) {
    const QByteArray page = pageUrl.toUtf8();
    const auto text = [this](const char* name) {
        return QString::fromUtf8(TemporaryFileAttribute(tempPath_, name).value_or(QByteArray()));
    };
    MediaResume kept;
    const long long size = TemporaryFileSize(tempPath_);
    if (size > 0 && TemporaryFileAttribute(tempPath_, kReferrerUrlAttribute) == page) {
        kept.path = tempPath_;
        kept.bytes = static_cast<quint64>(size);
        kept.totalBytes = text(kLengthAttribute).toULongLong();
        kept.etag = text(kEtagAttribute);
        kept.lastModified = text(kLastModifiedAttribute);
        kept.address = text(kOriginUrlAttribute);
    }
    if (kept.Usable()) {
        LogInfoW(kCategory, QStringLiteral("Continuing %1 after %2 bytes").arg(tempPath_).arg(kept.bytes));
        resume_ = kept;
        return;
    }
    if (size > 0)
        EmptyTemporaryFile(tempPath_); // another download's, or one that cannot be continued
    for (const char* name : {kOriginUrlAttribute, kEtagAttribute, kLastModifiedAttribute, kLengthAttribute})
        SetTemporaryFileAttribute(tempPath_, name, QByteArray());
    SetTemporaryFileAttribute(tempPath_, kReferrerUrlAttribute, page);
}

void DownloadItem::NameAfterContainer(const SiteExtractor& p) {
    if (p.containerKnown)
        return;
    const QString container = ContainerOfBytes(TemporaryFileStart(tempPath_, 12));
    if (container.isEmpty() || container == QFileInfo(finalPath_).suffix())
        return;
    const QString renamed = p.FreePathFor(container);
    if (!renamed.isEmpty()) {
        finalPath_ = renamed;
        w_.SetFinalPath(finalPath_);
    }
}

QString DownloadItem::NameKey(const SiteExtractor& p) const {
    const ItemHost::Settings settings = w_.ItemSettings();
    return QStringList{settings.outputFolder,
                       QString::number(settings.useTitle),
                       p.siteName,
                       p.title,
                       p.videoId,
                       p.extension}
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
