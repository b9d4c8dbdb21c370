#pragma once
// One HTTP exchange in progress: the request has been sent, the response
// headers have been read, and the body is pulled by the caller block by block
// (Read). libcurl hands the body over in pieces of up to 16 KiB; while Read
// runs, each piece is copied straight into the caller's buffer, and only the
// part of a piece that does not fit is kept (up to a small fixed limit) for
// the next Read. While the caller does not read, the transfer is paused, so a
// media file streams to disk and is never held whole in memory. Reading in
// blocks of 16 KiB or more lets every body byte go straight to the caller.
//
// Requests of one thread share that thread's connections (ConnectionPool):
// a response read to its end leaves its connection open for the next
// request to the same host; one destroyed before its body ended closes it.
//
// Every wait on the network (connecting, waiting for the headers, waiting
// for body bytes) polls the request's abortCheck at least every 50 ms, so an
// abort ends the exchange within that time whatever the server does.
//
// Threads: one object is used by one thread at a time: the thread that sent
// it, which must also destroy it. Destroying it ends the request.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ConnectionPool;

struct TransportRequest {
    QByteArray url;                 // full, encoded address
    QByteArray method = "GET";      // "GET", "POST", ...
    std::optional<QByteArray> body; // sent as given when present
    QList<QByteArray> headers;      // "Name: value" lines, sent in this order
    // Polled while the exchange waits on the network (at least every 50 ms)
    // and before each round of network work; true aborts it: Send or Read
    // throws a TransportError whose IsAbort() is true (code
    // TransportError::kAborted), never one a network fault gives. Lets a
    // stop request or an abandoned worker end a transfer promptly.
    std::function<bool()> abortCheck;
};

class TransportResponse {
  public:
    // Sends the request and returns once the final response headers are in.
    // Throws TransportError on a network failure, on an abort, and on a
    // response whose framing is invalid (Content-Length headers that
    // disagree: code TransportError::kInvalidFraming).
    static std::unique_ptr<TransportResponse> Send(const TransportRequest& request);

    ~TransportResponse();
    TransportResponse(const TransportResponse&) = delete;
    TransportResponse& operator=(const TransportResponse&) = delete;

    int StatusCode() const { return status_; }
    // The first header of that name (case-insensitive), value trimmed.
    std::optional<QString> Header(const QByteArray& name) const;
    // The announced body length; -1 when the response announced none.
    qint64 ContentLength() const;

    // Copies up to `maxBytes` body bytes into `buffer`; 0 once the body has
    // ended. Fills the whole buffer, or at least 64 KiB of it, unless the
    // body ends first. A connection that closes before the announced length
    // was received simply ends the body: the caller compares counts, or asks
    // EndedShort. Throws TransportError on any other network failure and on
    // an abort.
    qint64 Read(char* buffer, qint64 maxBytes);
    // As Read, but returns as soon as it holds `enoughBytes` (or the body
    // ends): a large buffer then takes whole pieces from libcurl without a
    // spill copy, while a slow server still hands each small block on.
    qint64 Read(char* buffer, qint64 maxBytes, qint64 enoughBytes);

    // True once Read has returned 0 for a body that ended before its framing
    // said it was complete: fewer bytes than the Content-Length announced, or
    // a chunked body whose last chunk never came. Callers that need the whole
    // body (a page to parse, a media file) treat it as a network failure.
    bool EndedShort() const { return ended_ && result_ == kPartialBody; }
    // Body bytes Read has handed to the caller so far.
    qint64 BytesReceived() const { return bytesRead_; }

  private:
    static constexpr int kPartialBody = 18; // CURLE_PARTIAL_FILE

    TransportResponse() = default;
    void Start(const TransportRequest& request);
    // One round of network work; waits up to one poll interval when it
    // brought no body byte and the transfer is still running.
    void Pump();
    void CollectFinished();
    void ThrowIfAborted();
    size_t Spilled() const { return spillEnd_ - spillBegin_; }
    size_t TakeSpilled(char* buffer, size_t maxBytes);

    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    bool CheckContentLength(const QByteArray& value);

    ConnectionPool* pool_ = nullptr; // the sending thread's; not owned
    void* multi_ = nullptr;          // the pool's multi handle
    void* easy_ = nullptr;
    struct curl_slist* headerList_ = nullptr;
    std::function<bool()> abortCheck_;
    std::unique_ptr<char[]> errorBuffer_;

    // Where OnBody copies while Read runs.
    char* target_ = nullptr;
    size_t room_ = 0;
    // Bytes of a piece that did not fit, kept for the next Read. Filled only
    // after the reader's buffer is full and drained before anything else, so
    // it never needs compacting.
    std::vector<char> spill_;
    size_t spillBegin_ = 0;
    size_t spillEnd_ = 0;
    quint64 delivered_ = 0; // body bytes taken from libcurl
    qint64 bytesRead_ = 0;  // body bytes handed to the caller

    bool paused_ = false;
    bool headersDone_ = false;
    bool done_ = false;
    bool ended_ = false;
    bool badFraming_ = false;
    int result_ = 0;
    int status_ = 0;
    std::optional<qint64> announcedLength_;
    QList<std::pair<QByteArray, QByteArray>> responseHeaders_;
};
