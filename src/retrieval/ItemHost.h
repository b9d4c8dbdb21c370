#pragma once
// What a DownloadItem sees of the batch that runs it: the settings it reads,
// the reports it posts for its row, the media download, the waits for a
// browser dialog and the results it publishes. DownloadWorker implements it;
// the item never sees the worker itself.
//
// Threads: every member is called on the batch thread (StopRequested, from
// TransferContext, on any thread). The implementation checks this in debug
// builds (base/ThreadCheck.h).

#include "retrieval/TransferContext.h"
#include "retrieval/TransferResult.h"
#include "retrieval/VideoSite.h"

#include <QString>

#include <vector>

// One more video of a page that holds several: its own address, or the
// page's address and its position there (playlistItem, 1-based).
struct PageEntry {
    QString address;
    int playlistItem = 0; // 0: the address is the video's own page
    QString title;
};

// The two site gates a batch waits at.
enum class BrowserDialog { Captcha, SignIn };

class ItemHost : public TransferContext {
  public:
    // The settings an item reads; read again wherever the item needs them.
    struct Settings {
        QString outputFolder;
        int useTitle = 1;
        int retryTimes = 0;
        QString ytDlpPath; // empty: yt-dlp on PATH
        int youtubeFmt = 1;
    };
    // What one media download ended with.
    struct MediaDownload {
        int code = 0;         // the transport's result: 0 when the file is complete
        bool stopped = false; // a stop ended it (the file never gets its final name)
    };

    virtual Settings ItemSettings() const = 0;

    // The item of `row` begins: its notifications name that row from now on.
    virtual void BeginItem(int row, VideoSite site) = 0;
    // The item moved to another site (the page sent it elsewhere).
    virtual void SetItemSite(VideoSite site) = 0;
    // The site's own name (OTHER_SITE: yt-dlp's name for it), published
    // with the next post.
    virtual void SetItemSiteName(const QString& name) = 0;
    // Posts UM_DOWNLOAD_ENTRIES: the page's further videos, each to become
    // a row of its own after the current one.
    virtual void PostEntries(const std::vector<PageEntry>& entries) = 0;
    // The resolved page's title and address, published with the next post.
    virtual void SetItemPage(const QString& title, const QString& pageUrl) = 0;
    // Where the file goes (empty: nowhere yet), published with the next post.
    virtual void SetFinalPath(const QString& path) = 0;

    // True once the batch was stopped (after CheckStop noticed it).
    virtual bool Stopped() const = 0;
    // Posts UM_DOWNLOAD_RETRY for the current row (`retryNumber` 1 first).
    virtual void PostRetry(int retryNumber) = 0;
    // Posts UM_DOWNLOAD_ITEM_DONE for the current row, unless stopped.
    virtual void PostItemDownloaded() = 0;

    // The dialog an extractor asked for during the last attempt, if any.
    virtual std::optional<BrowserDialog> RequestedDialog() const = 0;
    // Waits for that dialog to close (or for a stop) and forgets its
    // address. True when it closed; false when stopped.
    virtual bool WaitForDialog(BrowserDialog kind) = 0;

    // Downloads `mediaUrl` into `tempPath`, continuing what `resume` holds.
    virtual MediaDownload DownloadMedia(const QString& mediaUrl, const QString& tempPath,
                                        MediaResume& resume) = 0;
};
