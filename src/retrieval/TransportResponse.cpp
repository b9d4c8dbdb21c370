#include "retrieval/TransportResponse.h"

#include "retrieval/HttpSession.h"
#include "retrieval/TransportError.h"

#include <curl/curl.h>

#include <cstring>

namespace {
// Body bytes kept ahead of the reader before the transfer is paused.
constexpr size_t kHighWater = 64 * 1024;
constexpr int kPollMs = 250;

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
    multi_ = curl_multi_init();
    if (!easy_ || !multi_)
        throw TransportError::FromCurl(CURLE_FAILED_INIT);
    CURL* easy = Easy(easy_);
    ApplyTransportDefaults(easy);
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
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 64L * 1024);
    curl_multi_add_handle(Multi(multi_), easy);
}

TransportResponse::~TransportResponse() {
    if (multi_ && easy_)
        curl_multi_remove_handle(Multi(multi_), Easy(easy_));
    if (easy_)
        curl_easy_cleanup(Easy(easy_));
    if (multi_)
        curl_multi_cleanup(Multi(multi_));
    curl_slist_free_all(headerList_);
}

void TransportResponse::ThrowIfAborted() {
    if (abortCheck_ && abortCheck_())
        throw TransportError::FromCurl(CURLE_ABORTED_BY_CALLBACK);
}

void TransportResponse::Pump() {
    ThrowIfAborted();
    if (paused_) {
        // Unpausing may hand over the held-back data right away.
        paused_ = false;
        curl_easy_pause(Easy(easy_), CURLPAUSE_CONT);
    }
    const size_t before = Available();
    int running = 0;
    CURLMcode mc = curl_multi_perform(Multi(multi_), &running);
    if (mc != CURLM_OK) {
        done_ = true;
        result_ = CURLE_FAILED_INIT;
        return;
    }
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(Multi(multi_), &left)) {
        if (msg->msg == CURLMSG_DONE) {
            done_ = true;
            result_ = msg->data.result;
        }
    }
    if (!done_ && Available() == before && !paused_)
        curl_multi_poll(Multi(multi_), nullptr, 0, kPollMs, nullptr);
}

qint64 TransportResponse::Read(char* buffer, qint64 maxBytes) {
    // Whole blocks where the body allows, as a blocking read would give.
    const size_t wanted = std::min(static_cast<size_t>(std::max<qint64>(maxBytes, 1)), kHighWater);
    while (Available() < wanted && !done_)
        Pump();
    if (Available() == 0) {
        // The body has ended. A short body is not an error here: the caller
        // compares what it got with the announced length.
        if (result_ != CURLE_OK && result_ != CURLE_PARTIAL_FILE)
            throw TransportError::FromCurl(result_, errorBuffer_.get());
        return 0;
    }
    const size_t n = std::min(Available(), static_cast<size_t>(maxBytes));
    std::memcpy(buffer, buffer_.data() + offset_, n);
    offset_ += n;
    return static_cast<qint64>(n);
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
    if (r->Available() >= kHighWater) {
        r->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (r->offset_ == r->buffer_.size()) {
        r->buffer_.clear();
        r->offset_ = 0;
    } else if (r->offset_ >= kHighWater) {
        r->buffer_.erase(0, r->offset_);
        r->offset_ = 0;
    }
    r->buffer_.append(data, total);
    return total;
}

size_t TransportResponse::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* r = static_cast<TransportResponse*>(self);
    const size_t total = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(total)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new header block (after an interim 1xx answer) replaces the last.
        r->responseHeaders_.clear();
    } else if (line.isEmpty()) {
        long code = 0;
        curl_easy_getinfo(Easy(r->easy_), CURLINFO_RESPONSE_CODE, &code);
        if (code >= 200)
            r->headersDone_ = true;
    } else {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            r->responseHeaders_.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return total;
}
