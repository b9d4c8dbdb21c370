#include "mediatools/YtDlpRunner.h"

#include "base/AppLog.h"
#include "mediatools/CYtDlpOpts.h"
#include "mediatools/CYtDlpProcess.h"
#include "mediatools/YtDlpWorkFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>

namespace {
const char* const kCategory = "YtDlp";

enum class RunEnd { Finished, Stopped, Stalled, Unreadable };

// What every run needs before yt-dlp starts: its folder, cookies and trust.
struct Prepared {
    std::unique_ptr<QTemporaryDir> folder;
    QString cookieFile;
    QStringList env;
    bool trustFromEnvironment = false;
    QString error;
};

Prepared Prepare(const QString& parent, const QStringList& cookieLines) {
    Prepared p;
    p.folder = MakeYtDlpFolder(parent);
    if (!p.folder) {
        p.error = QStringLiteral("Cannot create a private folder in \"%1\"").arg(parent);
        return p;
    }
    p.cookieFile = WriteYtDlpCookieFile(p.folder->path(), cookieLines);
    if (p.cookieFile.isEmpty()) {
        p.error = QStringLiteral("Cannot write the cookie file for yt-dlp");
        return p;
    }
    // Output in UTF-8 whatever the locale, since it is read as UTF-8.
    p.env << QStringLiteral("PYTHONIOENCODING=utf-8");
    if (const std::optional<QString> bundle = WriteYtDlpCaBundle(p.folder->path())) {
        if (bundle->isEmpty()) {
            p.error = QStringLiteral("Cannot write the CA bundle for yt-dlp");
            return p;
        }
        p.env << QStringLiteral("SSL_CERT_FILE=") + *bundle;
        p.trustFromEnvironment = true;
    }
    return p;
}

// Ends a run that is not over: SIGINT first, so yt-dlp can finish its
// output, then SIGKILL to the whole group.
void EndRun(CYtDlpProcess& process) {
    process.Stop();
    process.WaitForReader(YtDlpRunner::kStopGraceMs);
    process.Close();
}

// Waits for the run while asking the stop callback, watching for a stall or
// unreadable output and reporting progress; `poll`, when given, is called
// with every look. The process is closed on return.
RunEnd Watch(CYtDlpProcess& process, int stallMs, const YtDlpCallbacks& callbacks,
             const std::function<void()>& poll = nullptr) {
    using Clock = std::chrono::steady_clock;
    quint64 seen = process.Activity();
    auto lastActivity = Clock::now();
    YtDlpProgress reported;
    bool reportedAny = false;
    const auto report = [&] {
        const YtDlpProgress p = process.Progress();
        if (!callbacks.progress || (reportedAny && p.received == reported.received &&
                                    p.total == reported.total && p.finished == reported.finished))
            return;
        if (p.received == 0 && p.total == 0 && !p.finished)
            return;
        if (callbacks.status && p.finished && !reported.finished)
            callbacks.status(QStringLiteral("Finishing the file"));
        reported = p;
        reportedAny = true;
        callbacks.progress(p);
    };
    int infoSeen = 0;
    // Before any progress of the same video, so the caller names it first.
    const auto tellInfo = [&] {
        const int count = process.VideoInfoCount();
        if (count == infoSeen)
            return;
        infoSeen = count;
        if (callbacks.videoInfo)
            callbacks.videoInfo(process.VideoInfo());
    };
    while (!process.WaitForReader(YtDlpRunner::kPollMs)) {
        if (callbacks.stopRequested && callbacks.stopRequested()) {
            EndRun(process);
            return RunEnd::Stopped;
        }
        if (process.Unreadable()) {
            EndRun(process);
            return RunEnd::Unreadable;
        }
        const quint64 activity = process.Activity();
        if (activity != seen) {
            seen = activity;
            lastActivity = Clock::now();
        } else if (Clock::now() - lastActivity >= std::chrono::milliseconds(stallMs)) {
            EndRun(process);
            return RunEnd::Stalled;
        }
        tellInfo();
        report();
        if (poll)
            poll();
    }
    process.Close();
    tellInfo();
    report();
    if (poll)
        poll();
    return process.Unreadable() ? RunEnd::Unreadable : RunEnd::Finished;
}

struct Outcome {
    YtDlpResultKind kind = YtDlpResultKind::Ok;
    QString error;
};

// The result of a run that did not succeed on its own terms, or Ok when the
// caller still has to look at what it printed.
Outcome Judge(RunEnd end, CYtDlpProcess& process, int stallMs, const QString& cookieFile,
              const QStringList& cookieLines) {
    switch (end) {
    case RunEnd::Stopped:
        return {YtDlpResultKind::Stopped, QStringLiteral("Stopped")};
    case RunEnd::Stalled:
        return {YtDlpResultKind::ToolFailed,
                QStringLiteral("yt-dlp made no progress for %1 s and was stopped").arg(stallMs / 1000.0)};
    case RunEnd::Unreadable:
        return {YtDlpResultKind::ToolFailed, QStringLiteral("yt-dlp printed unreadable output")};
    case RunEnd::Finished:
        break;
    }
    if (process.Overflowed())
        return {YtDlpResultKind::ToolFailed, QStringLiteral("yt-dlp printed more than the answer may hold")};
    if (process.ExitCode() == 0)
        return {};
    QString errorLine = process.ErrorLine();
    if (errorLine.isEmpty()) {
        for (const QString& line : process.Lines()) {
            if (line.startsWith(QLatin1String("ERROR:")))
                errorLine = line;
        }
    }
    if (errorLine.isEmpty())
        return {YtDlpResultKind::Failed,
                QStringLiteral("yt-dlp failed (exit code %1)").arg(process.ExitCode())};
    const QString text = CleanYtDlpError(errorLine);
    // yt-dlp writes the cookie jar back when it ends: a cookie that was not
    // in the copy came from the site during this run.
    const CookieKeys given = CookieKeysOf(cookieLines);
    bool siteSetCookies = false;
    for (const QString& key : CookieKeysOfFile(cookieFile))
        siteSetCookies = siteSetCookies || !given.count(key);
    switch (ClassifyYtDlpError(text, siteSetCookies)) {
    case YtDlpErrorKind::SignInNeeded:
        return {YtDlpResultKind::SignInNeeded, text};
    case YtDlpErrorKind::Unsupported:
        return {YtDlpResultKind::Unsupported, text};
    case YtDlpErrorKind::Other:
        break;
    }
    return {YtDlpResultKind::Failed, text};
}

Outcome OpenFailure(const CYtDlpProcess& process, const QString& program) {
    const int err = process.LastError();
    if (err == ENOENT || err == EACCES)
        return {YtDlpResultKind::ToolMissing, QStringLiteral("yt-dlp was not found (\"%1\")").arg(program)};
    return {YtDlpResultKind::Failed, QStringLiteral("yt-dlp could not be started (error %1)").arg(err)};
}

// What every run adds to its own options: the cookie copy, the trust, the
// address; then the command line goes to the log.
void FinishOptions(CYtDlpOpts& opts, const Prepared& prepared, const QString& url) {
    opts.SetCookieFile(prepared.cookieFile);
    if (prepared.trustFromEnvironment)
        opts.SetCertificatesFromEnvironment();
    opts.SetUrl(url);
    // Only the cookie file's path is on the command line, never a cookie.
    LogInfoW(kCategory, QStringLiteral("Running ") + opts.BuildCommandLine());
}

void LogFailure(const Outcome& outcome, const CYtDlpProcess& process) {
    if (outcome.kind == YtDlpResultKind::Stopped)
        return;
    LogWarnW(kCategory, outcome.error);
    // The first lines only: a metadata run may have collected megabytes.
    for (const QByteArray& line : process.RawLines().mid(0, CYtDlpProcess::kTailLines))
        LogInfoW(kCategory, QStringLiteral("yt-dlp: ") + CleanYtDlpError(QString::fromUtf8(line.left(1024))));
}
} // namespace

YtDlpDownload::YtDlpDownload() = default;
YtDlpDownload::~YtDlpDownload() = default;
YtDlpDownload::YtDlpDownload(YtDlpDownload&&) noexcept = default;
YtDlpDownload& YtDlpDownload::operator=(YtDlpDownload&&) noexcept = default;

QString YtDlpDownload::Folder() const {
    return folder_ ? folder_->path() : QString();
}

void YtDlpDownload::Cleanup() {
    folder_.reset();
}

YtDlpRunner::YtDlpRunner(YtDlpTool tool) : tool_(std::move(tool)) {}

YtDlpInfoResult YtDlpRunner::FetchInfo(const QString& url, bool listing, const YtDlpOptions& options,
                                       const YtDlpCallbacks& callbacks) const {
    YtDlpInfoResult result;
    const Prepared prepared =
        Prepare(options.workFolder.isEmpty() ? QDir::tempPath() : options.workFolder, options.cookieLines);
    if (!prepared.error.isEmpty()) {
        result.error = prepared.error;
        return result;
    }
    CYtDlpOpts opts(tool_.Program());
    opts.SetInfoRun(listing);
    FinishOptions(opts, prepared, url);
    if (callbacks.status)
        callbacks.status(QStringLiteral("Reading the page"));

    CYtDlpProcess process(CYtDlpProcess::Mode::Collect, options.maxInfoBytes);
    if (!process.Open(opts.BuildArguments(), prepared.folder->path(), prepared.env)) {
        const Outcome o = OpenFailure(process, tool_.Program());
        result.kind = o.kind;
        result.error = o.error;
        return result;
    }
    const RunEnd end = Watch(process, options.stallMs, callbacks);
    Outcome outcome = Judge(end, process, options.stallMs, prepared.cookieFile, options.cookieLines);
    if (outcome.kind == YtDlpResultKind::Ok) {
        // The JSON document is the one line that is an object; warnings may
        // come before it on the merged output.
        QByteArray json;
        for (const QByteArray& line : process.RawLines()) {
            if (line.startsWith('{'))
                json = line;
        }
        QString error;
        if (std::optional<YtDlpInfo> info = ParseYtDlpInfo(json, &error))
            result.info = std::move(*info);
        else
            outcome = {YtDlpResultKind::ToolFailed, error};
    }
    if (outcome.kind != YtDlpResultKind::Ok)
        LogFailure(outcome, process);
    result.kind = outcome.kind;
    result.error = outcome.error;
    return result;
}

YtDlpDownload YtDlpRunner::Download(const QString& url, const QString& outputFolder,
                                    const YtDlpOptions& options, const YtDlpCallbacks& callbacks) const {
    YtDlpDownload result;
    Prepared prepared = Prepare(outputFolder, options.cookieLines);
    if (!prepared.error.isEmpty()) {
        result.error = prepared.error;
        return result;
    }
    const QString folder = prepared.folder->path();
    CYtDlpOpts opts(tool_.Program());
    opts.SetDownloadRun(CYtDlpOpts::FormatFor(options.youtubeFmt), folder, options.playlistItem);
    FinishOptions(opts, prepared, url);
    if (callbacks.status)
        callbacks.status(QStringLiteral("Starting yt-dlp"));

    CYtDlpProcess process(CYtDlpProcess::Mode::Download);
    if (!process.Open(opts.BuildArguments(), folder, prepared.env)) {
        const Outcome o = OpenFailure(process, tool_.Program());
        result.kind = o.kind;
        result.error = o.error;
        return result;
    }
    // Only a file yt-dlp named, that exists, directly in the private folder.
    const auto namedFile = [&process, &folder]() -> QString {
        const QFileInfo file(process.FilePath());
        if (process.FilePath().isEmpty() || !file.isFile() || file.isSymLink() ||
            QFileInfo(file.absolutePath()).canonicalFilePath() != QFileInfo(folder).canonicalFilePath())
            return {};
        return file.absoluteFilePath();
    };
    // The file is final once named: handing it over now lets the caller
    // place and identify it while yt-dlp ends, which takes it a fifth of a
    // second.
    bool asked = false;
    bool taken = false;
    const auto handOver = [&] {
        if (asked || !callbacks.fileReady || (callbacks.stopRequested && callbacks.stopRequested()))
            return;
        const QString file = namedFile();
        if (file.isEmpty())
            return;
        asked = true;
        taken = callbacks.fileReady(file);
    };
    const RunEnd end = Watch(process, options.stallMs, callbacks, handOver);
    if (taken) {
        if (end != RunEnd::Finished || process.ExitCode() != 0)
            LogWarnW(kCategory, QStringLiteral("yt-dlp did not end cleanly after the file was finished (exit "
                                               "code %1); the file is kept")
                                    .arg(process.ExitCode()));
        result.kind = YtDlpResultKind::Ok;
        if (callbacks.status)
            callbacks.status(QStringLiteral("Downloaded"));
        return result; // the private folder goes with `prepared`
    }
    Outcome outcome = Judge(end, process, options.stallMs, prepared.cookieFile, options.cookieLines);
    if (outcome.kind == YtDlpResultKind::Ok && namedFile().isEmpty())
        outcome = {YtDlpResultKind::ToolFailed, QStringLiteral("yt-dlp did not name the downloaded file")};
    if (outcome.kind != YtDlpResultKind::Ok) {
        LogFailure(outcome, process);
        result.kind = outcome.kind;
        result.error = outcome.error;
        return result; // the private folder goes with `prepared`
    }
    RemoveAllBut(folder, process.FilePath());
    result.kind = YtDlpResultKind::Ok;
    result.filePath_ = QFileInfo(process.FilePath()).absoluteFilePath();
    result.folder_ = std::move(prepared.folder);
    if (callbacks.status)
        callbacks.status(QStringLiteral("Downloaded"));
    return result;
}
