#pragma once
// Finding video page links in a web page or a saved page: fetching the page
// into a file, scanning a file for YouTube and Google Video watch links, and
// the import that ties both together for the link-import dialog and for
// zorv-get --import.
//
// Threads: any thread; the fetch blocks its caller until the page is saved.

#include <QString>
#include <QStringList>

#include <functional>

namespace LinkCapture {
inline constexpr const char* kGoogleVideoWebHost = "video.google.com";
// Pages are read whole as text to be scanned; anything larger is no page.
inline constexpr qint64 kMaxPageBytes = qint64(64) * 1024 * 1024;
// Prefix of the temporary page files in the temporary folder.
inline constexpr const char* kTempPrefix = "~qx";
} // namespace LinkCapture

// Fetches scheme://server[:port]object (http or https) into `localPath`
// (created or emptied).
// Returns 1 when the whole body arrived, 0 otherwise; whatever arrived stays
// in the file (a page over kMaxPageBytes leaves it empty). A reply without
// Content-Length is read to its end. Redirects are followed.
int FetchPageToFile(const QString& server, const QString& object, const QString& localPath, int port = 80,
                    const QString& scheme = QStringLiteral("http"));

// Every watch link in the file, in two passes: all YouTube links in text
// order (relative ones made absolute on the YouTube web host; an absolute
// one keeps its scheme, http or https), then all Google Video links. Duplicates are kept. A file that cannot
// be read, or one over kMaxPageBytes, gives none.
QStringList ExtractVideoLinks(const QString& path);

// The links of a page: an http or https address is fetched into a temporary
// file that is scanned and deleted; anything else (other schemes included)
// is read as the path of a local file. `fetching` is told true
// before a fetch and false after it.
QStringList ImportVideoLinks(const QString& address, const std::function<void(bool)>& fetching = {});
