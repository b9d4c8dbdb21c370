#include "retrieval/TransportResponse.h"

#include "retrieval/ConnectionPool.h"
#include "retrieval/HttpSession.h"
#include "retrieval/TransportError.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>

namespace {
// libcurl reads the socket in pieces of this size and hands them on in
// pieces of up to 16 KiB.
constexpr long kReceiveBuffer = 64 * 1024;
// Body bytes kept for the next Read before the transfer is paused: one whole
// socket read, so a small reader does not pause the transfer on every piece.
constexpr size_t kSpillCapacity = 2 * kReceiveBuffer;
// Read returns once it holds this much, even when more was asked for.
constexpr size_t kWholeBlockLimit = 64 * 1024;
// Longest wait on the network between two looks at abortCheck.
constexpr int kPollMs = 50;

CURL* Easy(void* p) {
    return static_cast<CURL*>(p);
}
CURLM* Multi(void* p) {
    return static_cast<CURLM*>(p);
}
} // namespace

std::unique_ptr<TransportResponse> TransportResponse::Send(const TransportRequest& request) {
    std::unique_ptr<TransportResponse> response(new TransportResponse());
    response->Start(request);
    while (!response->headersDone_ && !response->done_)
        response->Pump();
    if (response->badFraming_)
        throw TransportError(TransportError::kInvalidFraming,
                             QStringLiteral("The response announced conflicting Content-Length values"));
    // A failure after the headers arrived belongs to the body: Read reports it.
    if (response->done_ && response->result_ != CURLE_OK && !response->headersDone_)
        throw TransportError::FromCurl(response->result_, response->errorBuffer_.get());
    long code = 0;
    curl_easy_getinfo(Easy(response->easy_), CURLINFO_RESPONSE_CODE, &code);
    response->status_ = static_cast<int>(code);
    return response;
}

void TransportResponse::Start(const TransportRequest& request) {
    abortCheck_ = request.abortCheck;
    errorBuffer_.reset(new char[CURL_ERROR_SIZE]);
    errorBuffer_[0] = '\0';
    easy_ = curl_easy_init();
    if (!easy_)
        throw TransportError::FromCurl(CURLE_FAILED_INIT);
    CURL* easy = Easy(easy_);
    ApplyTransportDefaults(easy);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_.get());
    curl_easy_setopt(easy, CURLOPT_URL, request.url.constData());
    for (const QByteArray& line : request.headers)
        headerList_ = curl_slist_append(headerList_, line.constData());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList_);
    if (request.body) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body->constData());
        if (request.method != "POST")
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.constData());
    } else if (request.method == "POST") {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, "");
    } else if (request.method != "GET") {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.constData());
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &TransportResponse::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &TransportResponse::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    // An aborted transfer must not wait for a name lookup still running.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    ConnectionPool& pool = ConnectionPool::ForThisThread();
    if (!pool.Add(easy))
        throw TransportError::FromCurl(CURLE_FAILED_INIT);
    pool_ = &pool;
    multi_ = pool.Multi();
}

TransportResponse::~TransportResponse() {
    // Removing a transfer whose body has not ended closes its connection
    // instead of returning it to the pool.
    if (pool_)
        pool_->Remove(Easy(easy_));
    if (easy_)
        curl_easy_cleanup(Easy(easy_));
    curl_slist_free_all(headerList_);
}

void TransportResponse::ThrowIfAborted() {
    if (abortCheck_ && abortCheck_())
        throw TransportError::FromCurl(CURLE_ABORTED_BY_CALLBACK);
}

void TransportResponse::Pump() {
    ThrowIfAborted();
    const quint64 before = delivered_;
    const bool hadHeaders = headersDone_;
    if (paused_) {
        // Unpausing may hand over the held-back data right away.
        paused_ = false;
        curl_easy_pause(Easy(easy_), CURLPAUSE_CONT);
    }
    int running = 0;
    if (curl_multi_perform(Multi(multi_), &running) != CURLM_OK) {
        done_ = true;
        result_ = CURLE_FAILED_INIT;
        return;
    }
    CollectFinished();
    // Sleep only when nothing came: the poll returns as soon as the socket
    // has data, and otherwise after one poll interval at most.
    if (!done_ && delivered_ == before && headersDone_ == hadHeaders && !paused_)
        curl_multi_poll(Multi(multi_), nullptr, 0, kPollMs, nullptr);
}

void TransportResponse::CollectFinished() {
    // Other responses of this thread share the multi handle: each finished
    // transfer goes to its own response.
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(Multi(multi_), &left)) {
        if (msg->msg != CURLMSG_DONE)
            continue;
        char* owner = nullptr;
        curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &owner);
        if (auto* response = reinterpret_cast<TransportResponse*>(owner)) {
            response->done_ = true;
            response->result_ = msg->data.result;
        }
    }
}

size_t TransportResponse::TakeSpilled(char* buffer, size_t maxBytes) {
    const size_t n = std::min(Spilled(), maxBytes);
    if (n == 0)
        return 0;
    std::memcpy(buffer, spill_.data() + spillBegin_, n);
    spillBegin_ += n;
    if (spillBegin_ == spillEnd_)
        spillBegin_ = spillEnd_ = 0;
    return n;
}

qint64 TransportResponse::Read(char* buffer, qint64 maxBytes) {
    return Read(buffer, maxBytes, static_cast<qint64>(kWholeBlockLimit));
}

qint64 TransportResponse::Read(char* buffer, qint64 maxBytes, qint64 enoughBytes) {
    if (maxBytes <= 0)
        return 0;
    const size_t wanted = static_cast<size_t>(maxBytes);
    size_t got = TakeSpilled(buffer, wanted);
    if (got < wanted && !done_) {
        // The spill is empty now: OnBody copies straight into the buffer.
        target_ = buffer + got;
        room_ = wanted - got;
        const size_t enough = std::min(wanted, static_cast<size_t>(std::max<qint64>(enoughBytes, 1)));
        try {
            while (wanted - room_ < enough && !done_)
                Pump();
        } catch (...) {
            target_ = nullptr;
            room_ = 0;
            throw;
        }
        got = wanted - room_;
        target_ = nullptr;
        room_ = 0;
    }
    if (got == 0) {
        // The body has ended. A short body is not an error here: the caller
        // compares what it got with the announced length, or asks EndedShort.
        ended_ = true;
        if (result_ != CURLE_OK && result_ != CURLE_PARTIAL_FILE)
            throw TransportError::FromCurl(result_, errorBuffer_.get());
        return 0;
    }
    bytesRead_ += static_cast<qint64>(got);
    return static_cast<qint64>(got);
}

std::optional<QString> TransportResponse::Header(const QByteArray& name) const {
    for (const auto& [key, value] : responseHeaders_)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(value);
    return std::nullopt;
}

qint64 TransportResponse::ContentLength() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(Easy(easy_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        return -1;
    return length;
}

size_t TransportResponse::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* r = static_cast<TransportResponse*>(self);
    const size_t total = size * count;
    r->headersDone_ = true;
    const size_t direct = std::min(r->room_, total);
    const size_t rest = total - direct;
    if (direct == 0 && r->spillEnd_ + rest > kSpillCapacity) {
        // Nobody reads and the spill is full: libcurl holds the piece until
        // the next Read.
        r->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (direct > 0) {
        std::memcpy(r->target_, data, direct);
        r->target_ += direct;
        r->room_ -= direct;
    }
    if (rest > 0) {
        // The reader's buffer is full (or no Read runs): keep the rest. When
        // part of the piece went to the reader the spill was empty, so the
        // rest (at most one piece) fits without growing.
        if (r->spill_.size() < r->spillEnd_ + rest)
            r->spill_.resize(std::max(kSpillCapacity, r->spillEnd_ + rest));
        std::memcpy(r->spill_.data() + r->spillEnd_, data + direct, rest);
        r->spillEnd_ += rest;
    }
    r->delivered_ += total;
    return total;
}

bool TransportResponse::CheckContentLength(const QByteArray& value) {
    // Several Content-Length headers, or a list in one, must all agree; a
    // value libcurl cannot read at all it refuses on its own.
    for (const QByteArray& item : value.split(',')) {
        bool ok = false;
        const qint64 length = item.trimmed().toLongLong(&ok);
        if (!ok)
            continue;
        if (announcedLength_ && *announcedLength_ != length)
            return false;
        announcedLength_ = length;
    }
    return true;
}

size_t TransportResponse::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* r = static_cast<TransportResponse*>(self);
    const size_t total = size * count;
    if (r->headersDone_)
        return total; // trailers of a chunked body
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(total)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new header block (after an interim 1xx answer) replaces the last.
        r->responseHeaders_.clear();
        r->announcedLength_.reset();
    } else if (line.isEmpty()) {
        long code = 0;
        curl_easy_getinfo(Easy(r->easy_), CURLINFO_RESPONSE_CODE, &code);
        if (code >= 200)
            r->headersDone_ = true;
    } else {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0) {
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0 && !r->CheckContentLength(value)) {
                // Which length is the real one cannot be known: refuse the
                // response (ending the transfer closes its connection).
                r->badFraming_ = true;
                return 0;
            }
            r->responseHeaders_.append({name, value});
        }
    }
    return total;
}
