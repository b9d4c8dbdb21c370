#pragma once
// The HTTP client of the site extractors and the download worker: fetches a
// page as text, posts a form, and copies a media file to disk with progress
// and cancellation. Redirects are never followed by the HTTP layer: each
// response is classified here and redirects are followed in bounded loops.
//
// A CVideoDownloader is made for one request sequence (one page fetch, one
// form post, one media download) and destroyed right after. Cookies live in
// the process-wide jar of HttpSession.h, not here. It reports only through
// its TransferContext and hands its results back as values.
//
// Threads: used only on the thread that created it (the worker thread). The
// transport polls the context's StopRequested while it waits on the network,
// so a stop ends a transfer without waiting for the next block.

#include "retrieval/TransferContext.h"
#include "retrieval/TransferResult.h"
#include "retrieval/TransportError.h"
#include "retrieval/TransportResponse.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>

// A download that failed for a reason the user reads as text ("can not
// connect to flv url, 404", "Write file failed", ...).
struct DownloadFailure {
    QString text;
};

// Byte counts of a media download; the window reads them while they change.
using ByteCount = std::atomic<quint64>;

class CVideoDownloader {
  public:
    // Bodies are read, and progress and stop are checked, per block.
    static constexpr int kBlockSize = 8192;
    // The media file is written in chunks of this many bytes.
    static constexpr int kWriteChunk = 256 * 1024;
    // One read takes what libcurl has at hand, up to this much; progress and
    // the stop check still go block by block through it.
    static constexpr int kReadSize = 64 * 1024;
    // The log category of the retrieval code's error and warning lines.
    static constexpr const char* kLogCategory = "CVideoDownloader";

    // `owner` may be null for requests made outside a batch: then nothing is
    // posted, stop is never requested and errors are only logged.
    explicit CVideoDownloader(TransferContext* owner);
    virtual ~CVideoDownloader();
    CVideoDownloader(const CVideoDownloader&) = delete;
    CVideoDownloader& operator=(const CVideoDownloader&) = delete;

    virtual void SetUseCache(int flag);

    // Follows up to 10 responses to the media file and copies its body into
    // `temporaryPath`. code 0: written completely; -1: failed, reason in
    // errorText (also given to the owner's SetError; an HTTP error status
    // included; a body cut short gives "Network error, can not get FLV
    // file"; a stop sets `stopped`, is logged as info and leaves the owner's
    // error text alone); else the code of a network failure (TransportError).
    //
    // With `resume` (kept by the caller across the attempts of one item):
    // when it holds bytes of this temporary file from an earlier attempt,
    // only the rest is asked for (Range) and appended, provided the server
    // answers 206 with that rest of a file of the same length and the same
    // validator (ETag, else Last-Modified, else the same final address); any
    // other answer starts the file over. On return it describes this
    // attempt's answer and the bytes the file now holds.
    virtual MediaResult GetFLVFile(const QString& address, const QString& temporaryPath,
                                   MediaResume* resume = nullptr);
    // The same with the results in out-parameters; returns the code.
    int GetFLVFile(const QString& address, const QString& temporaryPath, QString& finalAddress,
                   ByteCount& totalBytes, ByteCount& receivedBytes);

    // Fetches a page as text (decoded from UTF-8), following up to 3
    // responses. code 0: done; 111: stopped; -1: failed (errorText says
    // why: not found, too many redirects, ...); else the code of a network
    // failure, given to the owner's SetError (a body cut short against its
    // Content-Length is one). `location` is the last redirect target seen.
    virtual PageResult GetHTMLPage(const QString& address);
    // The same appending the body to `text`; `location` is written when a
    // redirect was seen. Returns the code.
    int GetHTMLPage(const QString& address, QString& text, QString& location);

    // One request, classified: 0 = `response` is open with headers read
    // (any status but a redirect or 404, error pages included); 302 = a
    // redirect (301, 302, 303, 307, 308), `location` holds the target as
    // sent (maybe relative); 404 = not found; -1 = address not usable or
    // redirect without Location. `body` is sent as given (UTF-8);
    // `extraHeader` is one more "Name: value" line, e.g. "Content-Type:
    // application/x-www-form-urlencoded". Throws TransportError on a network
    // failure (a stop request aborts the wait with one).
    virtual int RequestHTTP(const QString& address, std::unique_ptr<TransportResponse>& response,
                            QString& location, const QString& method = QStringLiteral("GET"),
                            const std::optional<QString>& body = std::nullopt,
                            const QString& extraHeader = QString());

    // Copies an open response's body into the file at `path` (created or
    // emptied; with `resumeFrom` the body is appended after that many bytes
    // of the file, which stay), reading block by block and writing in large
    // chunks, posting per-mille progress of the whole file; a stop ends the
    // copy with `result.stopped`. Byte counts go into `result`, also when it
    // throws (what arrived before a failure is written out). Throws
    // DownloadFailure, or TransportError when the connection fails while
    // reading.
    virtual void DownloadFile(TransportResponse& response, const QString& path, MediaResult& result,
                              quint64 resumeFrom = 0);

    // Logs "<label>() Exception [<code>]: <message>" for a network failure.
    static void ReportException(const char* label, const TransportError& error);

    TransferContext* owner;
    int useCache;

  private:
    // Follows redirects to the media answer (with a Range line when `from` >
    // 0); returns the address it came from. Throws DownloadFailure.
    QString OpenMedia(const QString& address, quint64 from, MediaResult& result,
                      std::unique_ptr<TransportResponse>& response);
    int CheckStop() const;
    bool StopRequested() const;
    void SetError(const QString& text) const;
    void ReportBytes(const MediaResult& result) const;
};
