#pragma once
// Reading what yt-dlp prints: the progress lines of the runner's own template,
// the line naming the finished file, and the "ERROR:" lines, turned into a
// short text for the user and a kind the caller can act on.
//
// Threads: pure functions, any thread.

#include <QString>
#include <QStringView>

#include <optional>

// What the progress template prints (see CYtDlpOpts): the prefix, then the
// status, downloaded bytes, total bytes, estimated total and speed, each "NA"
// when yt-dlp does not know it.
inline constexpr char kYtDlpProgressPrefix[] = "zorv-progress ";
// The line printed after the file has reached its final name: prefix + path.
inline constexpr char kYtDlpFilePrefix[] = "zorv-file ";
// The line a download run prints before each video it fetches, so the one run
// tells what the video is: prefix, then the extractor, the page's entry count
// and the video's place on it ("NA" for a page of one), the container, the id,
// and the title last, as it may hold spaces.
inline constexpr char kYtDlpInfoPrefix[] = "zorv-info ";

struct YtDlpVideoInfo {
    QString site;       // yt-dlp's extractor key
    int pageEntries = 0; // entries of the page it came from, 0 for a page of one
    int pageIndex = 0;   // its place there (1-based), 0 when not one of several
    QString ext;
    QString id;
    QString title;
};

std::optional<YtDlpVideoInfo> ParseYtDlpVideoInfo(QStringView line);

struct YtDlpProgress {
    int perMille = 0;    // 0..1000 of the total (or of the estimate)
    qint64 received = 0; // bytes so far
    qint64 total = 0;    // the total, else the estimate, else 0
    double speed = 0;    // bytes per second, 0 when unknown
    bool finished = false;
};

std::optional<YtDlpProgress> ParseYtDlpProgress(QStringView line);

enum class YtDlpErrorKind {
    Other,
    SignInNeeded, // the site wants a signed-in (or verified) visitor
    Unsupported,  // yt-dlp knows no way to read this address
};

// The text of an "ERROR:" line without the prefix and without yt-dlp's
// request to report the issue upstream, control characters shown as \xNN,
// cut to kMaxErrorChars.
inline constexpr int kMaxErrorChars = 400;
QString CleanYtDlpError(QStringView line);

// Sign-in needed: yt-dlp's texts for pages that want an account, an age
// confirmation or a bot check, and "HTTP Error 401"; "HTTP Error 403" too,
// but only when the site set a cookie during the run (a site that tracks its
// visitors and turns one away wants to know who it is; a bare 403 is usually
// a dead or geo-blocked address).
YtDlpErrorKind ClassifyYtDlpError(QStringView text, bool siteSetCookies);
