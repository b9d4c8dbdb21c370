#include "retrieval/YtDlpItem.h"

#include "base/AppLog.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "mediatools/YtDlpRunner.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/FilePlacement.h"
#include "retrieval/HttpSession.h"
#include "retrieval/SiteExtractor.h"
#include "retrieval/TextUtil.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace {
constexpr const char* kCategory = CVideoDownloader::kLogCategory;

// Built-in items name their files through their extractor; this one only
// borrows that naming, so both kinds follow one rule.
class FileNaming : public SiteExtractor {
  public:
    explicit FileNaming(const QString& folder) : SiteExtractor(OTHER_SITE, folder) {}
    QString GetVideoId() override { return videoId; }
};

// The site's folder: yt-dlp's name for it, made safe as a folder name.
QString SiteFolder(QString site) {
    SanitizeFileName(site, QLatin1Char('_'));
    site.remove(QLatin1Char('/'));
    while (site.startsWith(QLatin1Char('.')))
        site.remove(0, 1);
    return site.isEmpty() ? QStringLiteral("Other") : site;
}
} // namespace

YtDlpItem::YtDlpItem(ItemHost& host, int row) : w_(host), row_(row) {}

void YtDlpItem::Run(const QString& address, int playlistItem) {
    address_ = address;
    pageAddress_ = address;
    playlistItem_ = playlistItem;
    w_.BeginItem(row_, OTHER_SITE);
    Attempts();
}

bool YtDlpItem::RunInstead(const QString& address) {
    address_ = address;
    pageAddress_ = address;
    quiet_ = true;
    const bool read = ReadInfo() == Outcome::Succeeded;
    quiet_ = false;
    if (!read)
        return false;
    LogInfoW(kCategory, QStringLiteral("Read through yt-dlp instead: ") + address);
    Attempts();
    return true;
}

void YtDlpItem::Attempts() {
    const int retries = w_.ItemSettings().retryTimes;
    int retriesLeft = retries;
    bool signInAsked = false;
    bool succeeded = false;
    for (;;) {
        const Outcome outcome = Attempt();
        if (outcome == Outcome::Succeeded) {
            succeeded = true;
            break;
        }
        if (outcome == Outcome::Ended)
            break;
        if (outcome == Outcome::SignIn) {
            if (signInAsked) {
                // Signed in and still turned away: the site's answer stands.
                w_.PostStatus(DownloadStatus::Failed);
                break;
            }
            signInAsked = true;
            // Which page signs a visitor in is the site's own business: the
            // browser opens the video's page and the user finds the way.
            w_.RequestSignIn(pageAddress_);
            w_.PostStatus(DownloadStatus::SignInRequired);
            if (!w_.WaitForDialog(BrowserDialog::SignIn))
                break; // stopped while the dialog was open
            continue;  // once more, with the browser's cookies in the jar
        }
        w_.CheckStop();
        if (w_.Stopped() || !retryable_ || retriesLeft <= 0)
            break;
        --retriesLeft;
        LogWarnW(kCategory, QStringLiteral("Retrying download %1 through yt-dlp: ").arg(retriesLeft + 1) +
                                address_);
        w_.PostRetry(retries - retriesLeft);
    }
    if (succeeded)
        w_.PostStatus(DownloadStatus::Finished);
    w_.CheckStop();
    if (w_.Stopped())
        w_.PostStatus(DownloadStatus::Stopped);
}

YtDlpItem::Outcome YtDlpItem::Judge(YtDlpResultKind kind, const QString& error, bool readingInfo) {
    switch (kind) {
    case YtDlpResultKind::Ok:
        return Outcome::Succeeded;
    case YtDlpResultKind::Stopped:
        w_.CheckStop();
        return Outcome::Ended;
    case YtDlpResultKind::SignInNeeded:
        w_.SetError(error);
        return Outcome::SignIn;
    case YtDlpResultKind::ToolMissing:
        return Fail(LoadText(TextId::NeedsYtDlp), false);
    case YtDlpResultKind::Unsupported:
    case YtDlpResultKind::Failed:
        if (readingInfo) {
            // Neither a page of the built-in sites nor one yt-dlp could read.
            return Fail(QStringLiteral("not a video page of YouTube, Google Video, Metacafe or NicoVideo "
                                       "that yt-dlp can read: ") +
                            error,
                        kind == YtDlpResultKind::Failed);
        }
        return Fail(error, kind == YtDlpResultKind::Failed);
    case YtDlpResultKind::ToolFailed:
        return Fail(error, true);
    }
    return Fail(error, true);
}

YtDlpItem::Outcome YtDlpItem::Fail(const QString& error, bool retry) {
    retryable_ = retry;
    w_.SetError(error);
    w_.PostStatus(DownloadStatus::Failed);
    return Outcome::Failed;
}

YtDlpOptions YtDlpItem::Options() const {
    const ItemHost::Settings settings = w_.ItemSettings();
    YtDlpOptions options;
    options.cookieLines = ExportCookies(); // each run its own copy, the jar as it is now
    options.youtubeFmt = settings.youtubeFmt;
    options.playlistItem = playlistItem_;
    options.workFolder = settings.outputFolder;
    return options;
}

YtDlpItem::Outcome YtDlpItem::Attempt() {
    if (!haveInfo_ && playlistItem_ > 0) {
        // A further video of a page: its row is named after the page's
        // site, which only the page's listing tells.
        const Outcome read = ReadInfo();
        if (read != Outcome::Succeeded)
            return read;
    }
    const ItemHost::Settings settings = w_.ItemSettings();
    QDir().mkpath(settings.outputFolder);
    const YtDlpRunner runner{YtDlpTool(settings.ytDlpPath)};
    YtDlpCallbacks callbacks;
    callbacks.progress = [this](const YtDlpProgress& p) {
        w_.SetByteCounts(static_cast<quint64>(p.received), static_cast<quint64>(p.total));
        w_.PostProgress(p.perMille);
    };
    callbacks.stopRequested = [this] { return w_.StopRequested(); };
    // The first try both reads what the video is and fetches it: each run of
    // yt-dlp pays Python's start-up, more than a short video's bytes take.
    const bool reading = !haveInfo_;
    YtDlpOptions options = Options();
    if (reading) {
        w_.PostStatus(DownloadStatus::SiteStep, LoadText(TextId::ReadingMediaInfo));
        callbacks.videoInfo = [this](const YtDlpVideoInfo& info) {
            if (!haveInfo_ && TakeInfo(info))
                w_.PostStatus(DownloadStatus::DownloadBegins);
        };
        // A page of several videos: this row fetches the first.
        if (options.playlistItem == 0)
            options.playlistItem = 1;
    } else {
        w_.PostStatus(DownloadStatus::DownloadBegins);
    }
    // Placed as soon as yt-dlp names the file, so that its identification
    // runs while yt-dlp is still ending.
    std::optional<Outcome> placed;
    callbacks.fileReady = [this, &placed](const QString& file) {
        if (!haveInfo_)
            return false; // it needs a name first: placed after the run
        w_.PostStatus(DownloadStatus::DownloadEnded);
        placed = Place(file);
        return true;
    };
    YtDlpDownload download = runner.Download(address_, settings.outputFolder, options, callbacks);
    if (download.kind != YtDlpResultKind::Ok)
        return Judge(download.kind, download.error, reading && !haveInfo_);
    if (placed)
        return *placed;
    if (w_.StopRequested()) {
        w_.CheckStop();
        return Outcome::Ended; // a stopped item never gets its file
    }
    if (!haveInfo_) {
        // yt-dlp fetched it without saying what it was: ask it on its own.
        const Outcome read = ReadInfo();
        if (read != Outcome::Succeeded)
            return read;
    }
    w_.PostStatus(DownloadStatus::DownloadEnded);
    return Place(download.FilePath());
    // `download` goes here, and with it the private folder.
}

bool YtDlpItem::TakeInfo(const YtDlpVideoInfo& info) {
    const bool fresh = playlistItem_ == 0;
    QString site = info.site;
    if (info.pageEntries > 1 && fresh) {
        // The other videos of the page get rows of their own, in page order,
        // before this row is named, as a separate reading would have them.
        const ItemHost::Settings settings = w_.ItemSettings();
        const YtDlpRunner runner{YtDlpTool(settings.ytDlpPath)};
        YtDlpCallbacks callbacks;
        callbacks.stopRequested = [this] { return w_.StopRequested(); };
        YtDlpOptions options = Options();
        options.playlistItem = 0;
        const YtDlpInfoResult result = runner.FetchInfo(address_, true, options, callbacks);
        if (result.kind == YtDlpResultKind::Ok && result.info.isPlaylist && result.info.entries.size() > 1) {
            std::vector<PageEntry> more;
            for (size_t i = 1; i < result.info.entries.size(); ++i) {
                const YtDlpEntry& e = result.info.entries[i];
                more.push_back(e.url.isEmpty() ? PageEntry{address_, e.index, e.title} : PageEntry{e.url, 0, e.title});
            }
            w_.PostEntries(more);
            site = result.info.site; // the page's site, as for its other rows
        } else if (result.kind != YtDlpResultKind::Stopped) {
            LogWarnW(kCategory, QStringLiteral("The page's other videos could not be listed: ") + result.error);
        }
    }
    // Retries fetch the same video again, not the page's first.
    if (fresh && info.pageIndex > 0)
        playlistItem_ = info.pageIndex;
    id_ = info.id;
    title_ = info.title.isEmpty() ? id_ : info.title;
    siteName_ = site;
    haveInfo_ = true;
    w_.SetItemSite(OTHER_SITE);
    w_.SetItemSiteName(siteName_);
    w_.SetItemPage(title_, pageAddress_);
    w_.PostTitle(title_);
    return true;
}

YtDlpItem::Outcome YtDlpItem::ReadInfo() {
    const ItemHost::Settings settings = w_.ItemSettings();
    QDir().mkpath(settings.outputFolder);
    const YtDlpRunner runner{YtDlpTool(settings.ytDlpPath)};
    YtDlpCallbacks callbacks;
    callbacks.stopRequested = [this] { return w_.StopRequested(); };
    if (!quiet_)
        w_.PostStatus(DownloadStatus::SiteStep, LoadText(TextId::ReadingMediaInfo));
    YtDlpOptions options = Options();
    options.playlistItem = 0;
    // A listing: a page of one video answers with that video, a page of
    // several with their list.
    const YtDlpInfoResult result = runner.FetchInfo(address_, true, options, callbacks);
    if (result.kind != YtDlpResultKind::Ok && quiet_) {
        LogInfoW(kCategory, QStringLiteral("yt-dlp cannot read it either: ") + result.error);
        return Outcome::Ended;
    }
    if (result.kind != YtDlpResultKind::Ok)
        return Judge(result.kind, result.error, true);
    const YtDlpInfo& info = result.info;
    id_ = info.id;
    title_ = info.title;
    if (info.isPlaylist) {
        if (info.entries.empty())
            return Fail(LoadText(TextId::NoMediaOnPage), false);
        const YtDlpEntry* pick = &info.entries.front();
        for (const YtDlpEntry& e : info.entries)
            if (playlistItem_ > 0 && e.index == playlistItem_)
                pick = &e;
        if (playlistItem_ == 0 && info.entries.size() > 1) {
            // This row takes the first video; each other one gets a row.
            std::vector<PageEntry> more;
            for (size_t i = 1; i < info.entries.size(); ++i) {
                const YtDlpEntry& e = info.entries[i];
                more.push_back(e.url.isEmpty() ? PageEntry{address_, e.index, e.title} : PageEntry{e.url, 0, e.title});
            }
            w_.PostEntries(more);
        }
        id_ = pick->id;
        title_ = pick->title;
        if (!pick->url.isEmpty()) {
            address_ = pick->url;
            playlistItem_ = 0;
        } else {
            playlistItem_ = pick->index;
        }
    }
    if (title_.isEmpty())
        title_ = id_;
    siteName_ = info.site;
    haveInfo_ = true;
    w_.SetItemSite(OTHER_SITE);
    w_.SetItemSiteName(siteName_);
    w_.SetItemPage(title_, pageAddress_);
    w_.PostTitle(title_);
    return Outcome::Succeeded;
}

YtDlpItem::Outcome YtDlpItem::Place(const QString& downloaded) {
    const ItemHost::Settings settings = w_.ItemSettings();
    FileNaming naming(SiteFolder(siteName_));
    naming.owner = &w_;
    naming.videoId = id_;
    naming.title = title_;
    const QString suffix = QFileInfo(downloaded).suffix();
    naming.extension = suffix.isEmpty() ? QStringLiteral("mp4") : suffix;
    QString finalPath;
    QString tempPath;
    if (!naming.MakeFileName(settings.outputFolder, settings.useTitle, finalPath, tempPath)) {
        w_.PostStatus(DownloadStatus::Failed);
        retryable_ = false;
        return Outcome::Failed;
    }
    // Another download may take the name meanwhile: it is never replaced.
    if (!MoveWithoutReplacing(downloaded, finalPath)) {
        return Fail(QStringLiteral("Can not rename ") + downloaded + QStringLiteral(" to ") + finalPath, false);
    }
    w_.SetFinalPath(finalPath);
    w_.PostItemDownloaded();
    return Outcome::Succeeded;
}
