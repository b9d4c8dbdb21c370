#pragma once
// The HTTP client of the site extractors and the download worker: fetches a
// page as text, posts a form, and copies a media file to disk with progress
// and cancellation. Redirects are never followed by the HTTP layer: each
// response is classified here and redirects are followed in bounded loops.
//
// A CVideoDownloader is made for one request sequence (one page fetch, one
// form post, one media download) and destroyed right after. Cookies live in
// the process-wide jar of HttpSession.h, not here.
//
// Threads: used only on the thread that created it (the worker thread). Its
// only cross-thread effects go through the owner: posted progress and the
// non-blocking stop poll.

#include "retrieval/TransportError.h"
#include "retrieval/TransportResponse.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class DownloadWorker;

// A download that failed for a reason the user reads as text ("can not
// connect to flv url, 404", "Write file failed", ...).
struct DownloadFailure {
    QString text;
};

// Byte counts of a media download; the window reads them while they change.
using ByteCount = std::atomic<quint64>;

class CVideoDownloader {
  public:
    static constexpr int kBlockSize = 8192;

    // `owner` may be null for requests made outside a batch: then nothing is
    // posted, stop is never requested and errors are only logged.
    explicit CVideoDownloader(DownloadWorker* owner);
    virtual ~CVideoDownloader();
    CVideoDownloader(const CVideoDownloader&) = delete;
    CVideoDownloader& operator=(const CVideoDownloader&) = delete;

    virtual void SetUseCache(int flag);

    // Follows up to 10 responses to the media file and copies its body into
    // `temporaryPath`. 0: written completely; -1: failed, reason given to the
    // owner's SetError (an HTTP error status included); else the code of a
    // network failure (TransportError).
    virtual int GetFLVFile(const QString& address, const QString& temporaryPath, QString& finalAddress,
                           ByteCount& totalBytes, ByteCount& receivedBytes);

    // Appends the page body (decoded from UTF-8) to `text`, following up to
    // 3 responses. 0: done; 111: stopped while reading; -1: failed; else the
    // code of a network failure. `location` ends holding the last redirect
    // target seen.
    virtual int GetHTMLPage(const QString& address, QString& text, QString& location);

    // One request, classified: 0 = `response` is open with headers read
    // (any status but 301/302/303/404, error pages included); 302 = a
    // redirect, `location` holds the target as sent (maybe relative);
    // 404 = not found; -1 = address not usable or redirect without Location.
    // `body` is sent as given (UTF-8); `extraHeader` is one more "Name: value"
    // line, e.g. "Content-Type: application/x-www-form-urlencoded".
    // Throws TransportError on a network failure.
    virtual int RequestHTTP(const QString& address, std::unique_ptr<TransportResponse>& response,
                            QString& location, const QString& method = QStringLiteral("GET"),
                            const std::optional<QString>& body = std::nullopt,
                            const QString& extraHeader = QString());

    // Copies an open response's body into a new file at `path`, block by
    // block, posting per-mille progress. Throws DownloadFailure, or
    // TransportError when the connection fails while reading.
    virtual void DownloadFile(TransportResponse& response, const QString& path, ByteCount& totalBytes,
                              ByteCount& receivedBytes);

    // Logs "<label>() Exception [<code>]: <message>" for a network failure.
    static void ReportException(const char* label, const TransportError& error);

    DownloadWorker* owner;
    int useCache;

  private:
    int CheckStop() const;
    void SetError(const QString& text) const;
};
