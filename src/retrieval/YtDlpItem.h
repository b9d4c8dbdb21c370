#pragma once
// One queued item read through yt-dlp (any address the built-in extractors
// do not handle): its metadata (title, site, container; the entries of a
// page that holds several videos), the download into a private folder with
// the row's progress, the retries and the sign-in dialog, and the same
// placement as a built-in item (site folder, video id or title, unique
// names, never replacing a file). Nothing of yt-dlp's outlives the item: the
// runner's private folder goes with each run.
//
// The item talks to its batch only through ItemHost, like DownloadItem.
//
// Threads: made, run and destroyed on the batch thread of its worker.

#include "mediatools/YtDlpRunner.h"
#include "retrieval/ItemHost.h"

#include <QString>

class YtDlpItem {
  public:
    YtDlpItem(ItemHost& host, int row);
    YtDlpItem(const YtDlpItem&) = delete;
    YtDlpItem& operator=(const YtDlpItem&) = delete;

    // Runs the item of `address` (with `playlistItem` > 0: that video of
    // the page) to its end and posts its last statuses (110 / 111).
    void Run(const QString& address, int playlistItem);
    // One more try for a page of the built-in sites their extractor could
    // not read: false, with nothing posted, when yt-dlp cannot read it
    // either (or is not there), so the row keeps the extractor's error.
    bool RunInstead(const QString& address);

  private:
    enum class Outcome { Failed, Succeeded, Ended, SignIn };

    // The attempts, retries and sign-in of the item.
    void Attempts();
    Outcome Attempt();
    // Reads what the video is; for a page of several, takes the first
    // (or the queued one) and hands the others to the front end once.
    Outcome ReadInfo();
    // What the download run said the video is; a page of several videos
    // also hands its others to the front end once.
    bool TakeInfo(const YtDlpVideoInfo& info);
    // What a run's result means for the item.
    Outcome Judge(YtDlpResultKind kind, const QString& error, bool readingInfo);
    Outcome Fail(const QString& error, bool retry);
    YtDlpOptions Options() const;
    Outcome Place(const QString& downloaded);

    ItemHost& w_;
    const int row_;
    QString address_;     // what yt-dlp is given (an entry's own page, once known)
    QString pageAddress_; // what the row was queued with: the history's page
    int playlistItem_ = 0;
    QString id_;
    QString title_;
    QString siteName_;
    bool haveInfo_ = false;
    bool quiet_ = false; // RunInstead's first look: it posts nothing
    bool retryable_ = true;
};
