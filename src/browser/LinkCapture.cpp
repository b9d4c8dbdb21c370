#include "browser/LinkCapture.h"

#include "browser/CTextFileReader.h"
#include "platform/ParseUrl.h"
#include "retrieval/AddressRoute.h"
#include "retrieval/HttpSession.h"
#include "retrieval/YouTubeExtractor.h"

#include <curl/curl.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QUrl>

#include <chrono>
#include <vector>

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
    const FetchControl* control = nullptr;
    std::chrono::steady_clock::time_point deadline;
    bool stopped = false;
    bool timedOut = false;
};

// libcurl calls this often while data flows and about once a second when
// none does: the stop and the deadline are seen within a second.
int CheckTransfer(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* sink = static_cast<PageSink*>(user);
    if (sink->control->received)
        sink->control->received(sink->written);
    if (sink->control->stopRequested && sink->control->stopRequested()) {
        sink->stopped = true;
        return 1;
    }
    if (std::chrono::steady_clock::now() >= sink->deadline) {
        sink->timedOut = true;
        return 1;
    }
    return 0;
}

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

// Watch links of the YouTube web host (a relative one is on that host),
// and the site's "/v/" and short links, which are only taken whole.
const QRegularExpression& YouTubePattern() {
    static const QRegularExpression pattern(
        QStringLiteral("(?:https?://%1)?/watch\\?v=[\\w|\\-]+|https?://(?:[\\w-]+\\.)*%2/v/[\\w-]+|"
                       "https?://%3/[\\w-]+")
            .arg(QRegularExpression::escape(QLatin1String(YouTubeExtractor::kWebHost)),
                 QRegularExpression::escape(QLatin1String(YouTubeExtractor::kMainDomain)),
                 QRegularExpression::escape(QLatin1String(YouTubeExtractor::kShortLinkDomain))),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// The other sites' watch links, one pass each after YouTube's. A Google
// Video id may be negative.
const std::vector<QRegularExpression>& OtherSitePatterns() {
    static const std::vector<QRegularExpression> patterns = [] {
        const auto option = QRegularExpression::CaseInsensitiveOption;
        return std::vector<QRegularExpression>{
            QRegularExpression(
                QStringLiteral("https?://%1/videoplay\\?docid=-?[\\w\\d]+")
                    .arg(QRegularExpression::escape(QLatin1String(LinkCapture::kGoogleVideoWebHost))),
                option),
            QRegularExpression(
                QStringLiteral("https?://(?:www\\.)?metacafe\\.com/watch/[\\w-]+/(?:[\\w-]+/)?"), option),
            QRegularExpression(QStringLiteral("https?://(?:www\\.)?nicovideo\\.jp/watch/\\w+"), option),
        };
    }();
    return patterns;
}

// A found link as the task list would take it; empty when it would not.
QString Accepted(const QString& link) {
    const RoutedAddress routed = RouteAddress(link);
    return routed.route == AddressRoute::Refused ? QString() : routed.address;
}
} // namespace

bool IsVideoPageAddress(const QString& text) {
    const RoutedAddress routed = RouteAddress(text);
    if (routed.route == AddressRoute::Refused)
        return false;
    const QString& address = routed.address;
    const auto startsWithMatch = [&address](const QRegularExpression& pattern) {
        return pattern
            .match(address, 0, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
            .hasMatch();
    };
    if (startsWithMatch(YouTubePattern()) ||
        std::any_of(OtherSitePatterns().begin(), OtherSitePatterns().end(), startsWithMatch))
        return true;
    // Video pages of sites yt-dlp reads: the host (or a sub-domain of it) and
    // what the path (with its query) starts with on a page of one video.
    static const struct {
        const char* domain;
        QRegularExpression page;
    } kVideoPages[] = {
        {"youtube.com",
         QRegularExpression(QStringLiteral("^/(?:watch\\?(?:.*&)?v=[\\w-]|shorts/\\w|live/\\w|embed/\\w)"))},
        {"youtu.be", QRegularExpression(QStringLiteral("^/[\\w-]{6,}"))},
        {"youtube-nocookie.com", QRegularExpression(QStringLiteral("^/embed/\\w"))},
        {"vimeo.com", QRegularExpression(QStringLiteral("^/(?:\\d+|channels/\\w+/\\d+)"))},
        {"dailymotion.com", QRegularExpression(QStringLiteral("^/video/\\w"))},
        {"dai.ly", QRegularExpression(QStringLiteral("^/\\w+"))},
        {"twitch.tv", QRegularExpression(QStringLiteral("^/(?:videos/\\d+|\\w+/clip/\\w)"))},
        {"nicovideo.jp", QRegularExpression(QStringLiteral("^/watch/\\w"))},
        {"nico.ms", QRegularExpression(QStringLiteral("^/\\w+"))},
        {"bilibili.com", QRegularExpression(QStringLiteral("^/video/\\w"))},
        {"tiktok.com", QRegularExpression(QStringLiteral("^/@[^/]+/video/\\d+"))},
        {"rumble.com", QRegularExpression(QStringLiteral("^/v\\w+"))},
        {"ted.com", QRegularExpression(QStringLiteral("^/talks/\\w"))},
        {"archive.org", QRegularExpression(QStringLiteral("^/details/\\w"))},
        {"streamable.com", QRegularExpression(QStringLiteral("^/\\w+$"))},
    };
    const QUrl url(address);
    const QString host = url.host().toLower();
    const QString page = url.path() + (url.hasQuery() ? QLatin1Char('?') + url.query() : QString());
    for (const auto& site : kVideoPages) {
        const QString domain = QLatin1String(site.domain);
        if ((host == domain || host.endsWith(QLatin1Char('.') + domain)) && site.page.match(page).hasMatch())
            return true;
    }
    return false;
}

std::chrono::milliseconds LinkCapture::DefaultDeadline() {
    bool ok = false;
    const qint64 ms = qEnvironmentVariable("ZORV_IMPORT_DEADLINE_MS").toLongLong(&ok);
    return std::chrono::milliseconds(ok && ms > 0 ? ms : 120000);
}

int FetchPageToFile(const QString& server, const QString& object, const QString& localPath, int port,
                    const QString& scheme, const FetchControl& control, FetchEnd* end) {
    if (end)
        *end = FetchEnd::Failed;
    CURL* curl = curl_easy_init();
    if (!curl)
        return 0;
    PageSink sink;
    sink.file.setFileName(localPath);
    sink.control = &control;
    sink.deadline = std::chrono::steady_clock::now() + control.deadline;
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
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CheckTransfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &sink);
    // Should the callback not come in time, libcurl ends the fetch itself.
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(control.deadline.count() + 1000));
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
    if (end)
        *end = ok             ? FetchEnd::Complete
               : sink.stopped ? FetchEnd::Stopped
               : sink.timedOut ||
                       (rc == CURLE_OPERATION_TIMEDOUT && std::chrono::steady_clock::now() >= sink.deadline)
                   ? FetchEnd::TimedOut
                   : FetchEnd::Failed;
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
    auto keep = [&links](const QString& link) {
        const QString accepted = Accepted(link);
        if (!accepted.isEmpty())
            links << accepted;
    };
    for (auto it = YouTubePattern().globalMatch(text); it.hasNext();) {
        const QString link = it.next().captured(0);
        keep(link.startsWith(QLatin1Char('/')) ? prefix + link : link);
    }
    for (const QRegularExpression& pattern : OtherSitePatterns())
        for (auto it = pattern.globalMatch(text); it.hasNext();)
            keep(it.next().captured(0));
    return links;
}

ImportResult ImportVideoLinks(const QString& address, const FetchControl& control,
                              const std::function<void(bool)>& fetching) {
    ImportResult result;
    const QString trimmed = address.trimmed();
    const std::optional<UrlParts> url = ParseUrl(trimmed);
    if (!url || (url->scheme != QLatin1String("http") && url->scheme != QLatin1String("https"))) {
        result.links = ExtractVideoLinks(trimmed);
        return result;
    }

    QTemporaryFile page(QDir::tempPath() + QLatin1Char('/') + QLatin1String(LinkCapture::kTempPrefix) +
                        QStringLiteral("XXXXXX"));
    if (!page.open()) {
        result.end = FetchEnd::Failed;
        return result;
    }
    // Asking for the name gives the file one (it may start out unnamed).
    const QString path = page.fileName();
    page.close();
    if (fetching)
        fetching(true);
    FetchPageToFile(url->server, url->object, path, url->port, url->scheme, control, &result.end);
    // A failed fetch still leaves what arrived to be scanned; a stopped one
    // is wanted no more.
    if (result.end != FetchEnd::Stopped)
        result.links = ExtractVideoLinks(path);
    page.remove();
    if (fetching)
        fetching(false);
    return result;
}
