#pragma once
// Finding video page links in a web page or a saved page: fetching the page
// into a file, scanning a file for the watch links of the four sites, and
// the import that ties both together for the link-import dialog and for
// zorv-get --import.
//
// Threads: any thread; the fetch blocks its caller until the page is saved,
// the deadline passes or the caller's stop test says so.

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace LinkCapture {
inline constexpr const char* kGoogleVideoWebHost = "video.google.com";
// Pages are read whole as text to be scanned; anything larger is no page.
inline constexpr qint64 kMaxPageBytes = qint64(64) * 1024 * 1024;
// Prefix of the temporary page files in the temporary folder.
inline constexpr const char* kTempPrefix = "~qx";
// How long a whole fetch may take, connection and redirects included:
// 120 s, or the milliseconds in ZORV_IMPORT_DEADLINE_MS when that is set.
std::chrono::milliseconds DefaultDeadline();
} // namespace LinkCapture

// How a fetch may be ended early and what it tells while it runs. The
// functions are called on the fetching thread.
struct FetchControl {
    // Asked at least once a second while the page arrives; true ends it.
    std::function<bool()> stopRequested;
    // The bytes of the page saved so far.
    std::function<void(qint64 bytes)> received;
    std::chrono::milliseconds deadline = LinkCapture::DefaultDeadline();
};

enum class FetchEnd {
    Complete, // the whole body arrived
    Failed,   // no connection, a cut body, a page too large, a write error
    Stopped,  // the stop test said so
    TimedOut, // the deadline passed
};

// Fetches scheme://server[:port]object (http or https) into `localPath`
// (created or emptied).
// Returns 1 when the whole body arrived, 0 otherwise; whatever arrived stays
// in the file (a page over kMaxPageBytes leaves it empty). A reply without
// Content-Length is read to its end. Redirects are followed. `end`, when
// given, tells why the fetch ended.
int FetchPageToFile(const QString& server, const QString& object, const QString& localPath, int port = 80,
                    const QString& scheme = QStringLiteral("http"), const FetchControl& control = {},
                    FetchEnd* end = nullptr);

// Every watch link in the file, in passes: all YouTube links in text order
// (relative watch links made absolute on the YouTube web host; absolute
// ones, short links and "/v/" links as written), then all Google Video
// links, then Metacafe's and NicoVideo's. Each one is kept only when the task
// list would take it (RouteAddress), as RouteAddress cleans it. Duplicates
// are kept. A file that cannot be read, or one over kMaxPageBytes, gives
// none.
QStringList ExtractVideoLinks(const QString& path);

// Whether `text` (white space around it ignored) is the address of one
// video's page, as a copied address is judged before the window offers it:
// a watch link of the four sites (http or https, as ExtractVideoLinks finds
// them), or a video page of a well-known site yt-dlp reads. A site's home
// page, a search or any other address is not.
bool IsVideoPageAddress(const QString& text);

struct ImportResult {
    QStringList links;
    FetchEnd end = FetchEnd::Complete; // of the fetch; Complete for a local file
};

// The links of a page: an http or https address is fetched into a temporary
// file that is scanned and deleted; anything else (other schemes included)
// is read as the path of a local file (white space around the address is
// ignored). A stopped fetch gives no links; a failed or timed-out one gives
// those of what arrived. `fetching` is told true before a fetch and false
// after it.
ImportResult ImportVideoLinks(const QString& address, const FetchControl& control = {},
                              const std::function<void(bool)>& fetching = {});
