#pragma once
// One HTTP exchange in progress: the request has been sent, the response
// headers have been read, and the body is pulled by the caller block by block
// (Read). Body bytes are buffered only up to a small fixed limit: while the
// caller does not read, the transfer is paused, so a media file streams to
// disk and is never held whole in memory.
//
// Threads: one object is used by one thread at a time (the thread that sent
// it). Destroying it closes the request and its connection.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

struct TransportRequest {
    QByteArray url;                 // full, encoded address
    QByteArray method = "GET";      // "GET", "POST", ...
    std::optional<QByteArray> body; // sent as given when present
    QList<QByteArray> headers;      // "Name: value" lines, sent in this order
    // Polled while the exchange waits on the network; true aborts it with a
    // network failure. Lets an abandoned worker wind down promptly.
    std::function<bool()> abortCheck;
};

class TransportResponse {
  public:
    // Sends the request and returns once the final response headers are in.
    // Throws TransportError on a network failure.
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
    // ended. A connection that closes before the announced length was
    // received simply ends the body (the caller compares counts). Throws
    // TransportError on any other network failure.
    qint64 Read(char* buffer, qint64 maxBytes);

  private:
    TransportResponse() = default;
    void Start(const TransportRequest& request);
    // One round of network work; waits briefly when nothing happened.
    void Pump();
    void ThrowIfAborted();
    size_t Available() const { return buffer_.size() - offset_; }

    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);

    void* multi_ = nullptr;
    void* easy_ = nullptr;
    struct curl_slist* headerList_ = nullptr;
    std::function<bool()> abortCheck_;
    std::unique_ptr<char[]> errorBuffer_;

    std::string buffer_;
    size_t offset_ = 0;
    bool paused_ = false;
    bool headersDone_ = false;
    bool done_ = false;
    int result_ = 0;
    int status_ = 0;
    QList<std::pair<QByteArray, QByteArray>> responseHeaders_;
};
