#pragma once
// The media faults of the fault matrix, and Range answers. A fault is one
// name, or several joined by "+", optionally followed by "@TEXT" (then it
// applies only to requests whose path contains TEXT, so the next clip of a
// batch is served whole). Numbers follow a name after ":". "Attempt k" is
// the k-th request for the same path since the log was last cleared.
//
//   cutat:N[:M...]  attempt 0 is cut (clean close) at byte N of the file,
//                   attempt 1 at byte M, ...; later attempts get the rest
//   resetat:N[:M]   the same, with a connection reset instead of a close
//   resetbefore[:K] the first K (default 1) attempts are reset before any header
//   crap            "Content-Length: crap"
//   500             an error page with status 500
//   503once         attempt 0 gets 503 with Retry-After, later ones the file
//   loop            a redirect to the same address, for ever
//   relative        a redirect with a relative Location
//   dns             a redirect to a host name that never resolves
//   tls             a redirect to the same address over TLS
//   norange         Range is ignored: always 200 with the whole file
//   newtag          every answer carries another ETag
//   lastmodified    Last-Modified as the only validator (no ETag)
//   novalidator     neither ETag nor Last-Modified
//
// Without norange a request with "Range: bytes=N-" gets 206 with the rest
// of the file and "Content-Range: bytes N-LAST/SIZE". Every answer carries
// an ETag and a Last-Modified unless a mode above says otherwise.
//
// Threads: Serve runs on server threads; the log has its own lock.

#include <httplib.h>

#include <QFile>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct MediaRequest {
    QString path;  // the request's path, without the query
    QString range; // its Range header; empty when it had none
};

class MediaRequestLog {
  public:
    // Records a request; returns how many requests for its path came before.
    int Record(const httplib::Request& req);
    std::vector<MediaRequest> All() const;
    void Clear();

  private:
    mutable std::mutex mutex_;
    std::vector<MediaRequest> requests_;
};

namespace MediaFaults {

// The fault that applies to `req`: `fault` without its "@TEXT" part, or
// empty when TEXT is not in the request's path.
QString ForRequest(const QString& fault, const httplib::Request& req);

// Answers the faults that come instead of the file (resets before the
// headers, broken headers, error pages, redirects). False when `fault` asks
// for none of them on this attempt.
bool AnswerInstead(const httplib::Request& req, httplib::Response& res, const QString& fault, int attempt);

// Sends `file` (of `size` bytes), honouring Range, with the cuts, resets,
// trickle and validators `fault` asks for on this attempt. "cut" (the
// connection closed after half the file), "slow" (about 20 KB/s) and
// "crawl" (about 2 KB/s: a small file still takes seconds) are served here
// too.
void SendFile(const httplib::Request& req, httplib::Response& res, std::shared_ptr<QFile> file, qint64 size,
              const std::string& mime, const QString& fault, int attempt, const std::atomic<bool>& stopping);

} // namespace MediaFaults
