#include "browser/LinkCapture.h"

#include "browser/CTextFileReader.h"
#include "platform/ParseUrl.h"
#include "retrieval/HttpSession.h"
#include "retrieval/YouTubeExtractor.h"

#include <curl/curl.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QUrl>

namespace {
// The request headers the sites answer with their desktop pages.
const char* const kRequestHeaders[] = {
    "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.8.1) Gecko/20061010 Firefox/2.0",
    "Accept-Charset: utf-8;q=0.7,*;q=0.7",
    ("Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,"
     "*/*;q=0.5"),
    "Accept-Language: en-us,en;q=0.5",
};

struct PageSink {
    QFile file;
    qint64 written = 0;
    bool tooLarge = false;
    bool writeFailed = false;
};

size_t WritePage(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<PageSink*>(user);
    const qint64 bytes = qint64(size * count);
    if (sink->written + bytes > LinkCapture::kMaxPageBytes) {
        sink->tooLarge = true;
        return 0; // ends the transfer
    }
    if (!sink->file.isOpen() && !sink->file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        sink->writeFailed = true;
        return 0;
    }
    if (sink->file.write(data, bytes) != bytes) {
        sink->writeFailed = true;
        return 0;
    }
    sink->written += bytes;
    return size * count;
}

QString PageAddress(const QString& scheme, const QString& server, const QString& object, int port) {
    QUrl base;
    base.setScheme(scheme);
    base.setHost(server);
    if (port != (scheme == QLatin1String("https") ? 443 : 80))
        base.setPort(port);
    return base.toString(QUrl::FullyEncoded) + object;
}

const QRegularExpression& YouTubePattern() {
    static const QRegularExpression pattern(
        QStringLiteral("(https?://%1)?/watch\\?v=[\\w|\\-]+")
            .arg(QRegularExpression::escape(QLatin1String(YouTubeExtractor::kWebHost))),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression& GoogleVideoPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("(https?://%1)/videoplay\\?docid=[\\w\\d]+")
            .arg(QRegularExpression::escape(QLatin1String(LinkCapture::kGoogleVideoWebHost))),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}
} // namespace

int FetchPageToFile(const QString& server, const QString& object, const QString& localPath, int port,
                    const QString& scheme) {
    CURL* curl = curl_easy_init();
    if (!curl)
        return 0;
    PageSink sink;
    sink.file.setFileName(localPath);
    const QByteArray address = PageAddress(scheme, server, object, port).toUtf8();
    curl_slist* headers = nullptr;
    for (const char* header : kRequestHeaders)
        headers = curl_slist_append(headers, header);

    ApplyTransportDefaults(curl);
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WritePage);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    // An error page is saved like any other body: the status is not looked at.
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    // An empty body still leaves the file created.
    if (!sink.file.isOpen() && !sink.writeFailed &&
        !sink.file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        sink.writeFailed = true;
    if (sink.tooLarge)
        sink.file.resize(0);
    sink.file.close();
    // A body shorter than its Content-Length ends with CURLE_PARTIAL_FILE.
    // Why a fetch failed is of no use to the caller: it scans what arrived.
    const bool ok = rc == CURLE_OK && !sink.writeFailed && !sink.tooLarge;
    return ok ? 1 : 0;
}

QStringList ExtractVideoLinks(const QString& path) {
    QStringList links;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > LinkCapture::kMaxPageBytes)
        return links;
    CTextFileReader reader(path);
    if (!reader.IsOpen())
        return links;
    QString text;
    QString line;
    bool first = true;
    while (reader.ReadLine(line)) {
        if (!first)
            text += QLatin1String("\r\n");
        text += line;
        first = false;
    }

    const QString prefix = QStringLiteral("http://") + QLatin1String(YouTubeExtractor::kWebHost);
    for (auto it = YouTubePattern().globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        links << (m.capturedLength(1) > 0 ? m.captured(0) : prefix + m.captured(0));
    }
    for (auto it = GoogleVideoPattern().globalMatch(text); it.hasNext();)
        links << it.next().captured(0);
    return links;
}

QStringList ImportVideoLinks(const QString& address, const std::function<void(bool)>& fetching) {
    const std::optional<UrlParts> url = ParseUrl(address);
    if (!url || (url->scheme != QLatin1String("http") && url->scheme != QLatin1String("https")))
        return ExtractVideoLinks(address);

    QTemporaryFile page(QDir::tempPath() + QLatin1Char('/') + QLatin1String(LinkCapture::kTempPrefix) +
                        QStringLiteral("XXXXXX"));
    if (!page.open())
        return {};
    // Asking for the name gives the file one (it may start out unnamed).
    const QString path = page.fileName();
    page.close();
    if (fetching)
        fetching(true);
    FetchPageToFile(url->server, url->object, path, url->port, url->scheme);
    // A failed fetch still leaves what arrived to be scanned.
    QStringList links = ExtractVideoLinks(path);
    page.remove();
    if (fetching)
        fetching(false);
    return links;
}
