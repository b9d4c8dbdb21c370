#pragma once
// Runs yt-dlp for the addresses the built-in site extractors do not handle:
// its metadata, and a download into a private folder the caller takes the
// finished file out of.
//
// Every run gets a private folder (".zorv-ytdlp-XXXXXX", created exclusively
// and readable by the user only) that holds the run's copy of the cookies,
// the CA bundle it trusts, and everything yt-dlp writes. Whatever way a run
// ends, the folder goes: at once when the run fails or is stopped, with the
// YtDlpDownload that names the finished file otherwise.
//
// Threads: the caller's thread (the worker's batch thread) runs everything
// and receives every callback; the stop callback is asked at least every
// kPollMs while yt-dlp runs. Each run's reader thread (CConsoleProcess) is
// joined and its child reaped before the call returns.

#include "mediatools/YtDlpInfo.h"
#include "mediatools/YtDlpText.h"
#include "mediatools/YtDlpTool.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTemporaryDir;

enum class YtDlpResultKind {
    Ok,
    ToolMissing,  // no yt-dlp at the configured path or on PATH
    ToolFailed,   // it hung, printed garbage or too much, or did not say where the file went
    SignInNeeded, // the site wants a signed-in visitor: offer its sign-in page
    Unsupported,  // yt-dlp cannot read this address
    Failed,       // any other error yt-dlp reported, or a local one (folder, files)
    Stopped,      // the caller asked to stop
};

struct YtDlpOptions {
    static constexpr int kDefaultStallMs = 60000;
    static constexpr qint64 kDefaultMaxInfoBytes = qint64(64) << 20;

    // The downloader's cookie jar as Netscape cookie-file lines; the run gets
    // its own copy, never the live jar.
    QStringList cookieLines;
    int youtubeFmt = 1;   // the preferred-quality setting (see CYtDlpOpts::FormatFor)
    int playlistItem = 0; // > 0: that entry (1-based) of a multi-video page
    // yt-dlp is stopped when it shows no progress for this long.
    int stallMs = kDefaultStallMs;
    // A metadata answer larger than this fails instead of filling memory.
    qint64 maxInfoBytes = kDefaultMaxInfoBytes;
    // Where a metadata run puts its private folder; empty: the system's temp folder.
    QString workFolder;
};

struct YtDlpCallbacks {
    std::function<void(const YtDlpProgress&)> progress;
    std::function<void(const QString&)> status;
    std::function<bool()> stopRequested;
    // A download run: what the video is, before its bytes come.
    std::function<void(const YtDlpVideoInfo&)> videoInfo = nullptr;
    // A download run: the finished file, as soon as yt-dlp names it and
    // while it still winds down (Python's exit, the cookie jar written
    // back). Return true when the file was moved out of the private folder:
    // the run then counts as done whatever yt-dlp does last, and the
    // result's FilePath() is empty. Asked once, at most.
    std::function<bool(const QString&)> fileReady = nullptr;
};

struct YtDlpInfoResult {
    YtDlpResultKind kind = YtDlpResultKind::Failed;
    QString error;
    YtDlpInfo info;
};

// The outcome of a download. With kind Ok, FilePath() is the finished file in
// the private folder (empty when fileReady took it): move it out, then
// destroy the object (or call Cleanup), which removes the folder with
// whatever is still in it.
class YtDlpDownload {
  public:
    YtDlpDownload();
    ~YtDlpDownload();
    YtDlpDownload(YtDlpDownload&&) noexcept;
    YtDlpDownload& operator=(YtDlpDownload&&) noexcept;

    YtDlpResultKind kind = YtDlpResultKind::Failed;
    QString error;

    const QString& FilePath() const { return filePath_; }
    // The private folder (empty once cleaned up or when the run failed).
    QString Folder() const;
    void Cleanup();

  private:
    friend class YtDlpRunner;
    std::unique_ptr<QTemporaryDir> folder_;
    QString filePath_;
};

class YtDlpRunner {
  public:
    // Between two looks at the stop callback, the watchdog and the progress.
    static constexpr int kPollMs = 50;
    // A stopped yt-dlp gets this long after SIGINT before it is killed.
    static constexpr int kStopGraceMs = 500;

    explicit YtDlpRunner(YtDlpTool tool = YtDlpTool());

    // Metadata of one video, or with `listing` the entries of a multi-video
    // page in page order.
    YtDlpInfoResult FetchInfo(const QString& url, bool listing, const YtDlpOptions& options,
                              const YtDlpCallbacks& callbacks = {}) const;

    // Downloads into a private folder made inside outputFolder.
    YtDlpDownload Download(const QString& url, const QString& outputFolder, const YtDlpOptions& options,
                           const YtDlpCallbacks& callbacks) const;

  private:
    YtDlpTool tool_;
};
