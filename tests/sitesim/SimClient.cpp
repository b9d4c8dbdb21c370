#include "SimClient.h"

#include <QList>

namespace {

size_t Append(char* data, size_t size, size_t count, void* target) {
    static_cast<QByteArray*>(target)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

} // namespace

QString SimReply::Header(const char* name) const {
    const QByteArray wanted = QByteArray(name).toLower() + ":";
    for (const QByteArray& line : headers.split('\n')) {
        if (line.toLower().startsWith(wanted))
            return QString::fromUtf8(line.mid(wanted.size()).trimmed());
    }
    return QString();
}

bool SimReply::HasSetCookie(const QString& namePrefix) const {
    for (const QByteArray& line : headers.split('\n')) {
        if (line.toLower().startsWith("set-cookie:") &&
            QString::fromUtf8(line.mid(11).trimmed()).startsWith(namePrefix))
            return true;
    }
    return false;
}

SimClient::SimClient(const QString& connectTo, const QString& caBundle) : curl_(curl_easy_init()) {
    for (const QString& route : connectTo.split(',', Qt::SkipEmptyParts))
        connectTo_ = curl_slist_append(connectTo_, route.toUtf8().constData());
    caBundle_ = caBundle.toUtf8();
    curl_easy_setopt(curl_, CURLOPT_CONNECT_TO, connectTo_);
    if (!caBundle_.isEmpty())
        curl_easy_setopt(curl_, CURLOPT_CAINFO, caBundle_.constData());
    curl_easy_setopt(curl_, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl_, CURLOPT_COOKIEFILE, ""); // cookie engine on, nothing loaded
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
}

SimClient::~SimClient() {
    curl_easy_cleanup(curl_);
    curl_slist_free_all(connectTo_);
}

SimReply SimClient::Get(const QString& url, long timeoutMs) {
    return Perform(url, nullptr, nullptr, timeoutMs);
}

SimReply SimClient::Post(const QString& url, const QByteArray& body, const char* contentType) {
    return Perform(url, &body, contentType, 10000);
}

SimReply SimClient::Perform(const QString& url, const QByteArray* body, const char* contentType,
                            long timeoutMs) {
    SimReply reply;
    const QByteArray address = url.toUtf8();
    curl_slist* headers = nullptr;
    if (contentType != nullptr)
        headers = curl_slist_append(headers, (QByteArray("Content-Type: ") + contentType).constData());
    else
        headers = curl_slist_append(headers, "Content-Type:"); // as the downloader sends its forms
    curl_easy_setopt(curl_, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, timeoutMs);
    if (body != nullptr) {
        curl_easy_setopt(curl_, CURLOPT_POST, 1L);
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, body->constData());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
    } else {
        curl_easy_setopt(curl_, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, Append);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &reply.headers);
    reply.code = curl_easy_perform(curl_);
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &reply.status);
    reply.location = reply.Header("Location");
    curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    return reply;
}
