#include "sitesim/MediaFaults.h"

#include "sitesim/SimHttp.h"

#include <QRegularExpression>
#include <QStringList>

#include <chrono>
#include <optional>
#include <thread>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qint64 kBlock = 8192;
constexpr qint64 kSlowBlock = 2048;
constexpr auto kSlowPause = std::chrono::milliseconds(100);
constexpr qint64 kCrawlBlock = 512;
constexpr auto kCrawlPause = std::chrono::milliseconds(250);
const char* const kLastModified = "Tue, 01 Mar 2011 10:00:00 GMT";

// The numbers after "name:" in `fault`; none when `fault` has no part `name`.
std::optional<QList<qint64>> Numbers(const QString& fault, const QString& name) {
    for (const QString& part : fault.split(QLatin1Char('+'), Qt::SkipEmptyParts)) {
        const QStringList items = part.split(QLatin1Char(':'));
        if (items.first() != name)
            continue;
        QList<qint64> numbers;
        for (qsizetype i = 1; i < items.size(); ++i)
            numbers << items[i].toLongLong();
        return numbers;
    }
    return std::nullopt;
}

bool Has(const QString& fault, const QString& name) {
    return Numbers(fault, name).has_value();
}

// The server end of the connection a plain request came on, found among the
// process's open files by its two ports; -1 when there is none. A TLS
// connection is never given out: bytes or a reset under the TLS layer would
// only confuse the server's own side.
int ConnectionSocket(bool tls, int localPort, int remotePort) {
    if (tls)
        return -1;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int found = -1;
    while (dirent* entry = ::readdir(dir)) {
        const int fd = std::atoi(entry->d_name);
        sockaddr_in local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (fd <= 2 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
            local.sin_family != AF_INET)
            continue;
        if (ntohs(local.sin_port) == localPort && ntohs(peer.sin_port) == remotePort) {
            found = fd;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// Resets the connection (the client sees "connection reset by peer"). The
// socket stays open for the server, whose next write simply fails.
void ResetConnection(bool tls, int localPort, int remotePort) {
    const int fd = ConnectionSocket(tls, localPort, remotePort);
    if (fd < 0)
        return;
    const linger abort{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    ::connect(fd, &unspecified, sizeof unspecified);
}

// Writes the next block from `offset`; false when the file cannot be read.
bool WriteBlock(QFile& file, qint64 offset, qint64 maxBytes, httplib::DataSink& sink) {
    char buffer[kBlock];
    if (!file.seek(offset))
        return false;
    const qint64 got = file.read(buffer, std::min(maxBytes, kBlock));
    if (got <= 0)
        return false;
    return sink.write(buffer, static_cast<size_t>(got));
}

QString Target(const httplib::Request& req) {
    return QString::fromStdString(req.target);
}

} // namespace

int MediaRequestLog::Record(const httplib::Request& req) {
    const QString path = QString::fromStdString(req.path);
    std::lock_guard lock(mutex_);
    int earlier = 0;
    for (const MediaRequest& r : requests_)
        earlier += r.path == path ? 1 : 0;
    requests_.push_back({path, QString::fromStdString(req.get_header_value("Range"))});
    return earlier;
}

std::vector<MediaRequest> MediaRequestLog::All() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void MediaRequestLog::Clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

namespace MediaFaults {

QString ForRequest(const QString& fault, const httplib::Request& req) {
    const qsizetype at = fault.indexOf(QLatin1Char('@'));
    if (at < 0)
        return fault;
    return QString::fromStdString(req.path).contains(fault.mid(at + 1)) ? fault.left(at) : QString();
}

bool AnswerInstead(const httplib::Request& req, httplib::Response& res, const QString& fault, int attempt) {
    if (const auto resets = Numbers(fault, "resetbefore"); resets && attempt < resets->value(0, 1)) {
        ResetConnection(req.ssl != nullptr, req.local_port, req.remote_port);
        res.status = 500; // only a TLS client, which cannot be reset here, sees it
        return true;
    }
    if (Has(fault, "crap")) {
        const int fd = ConnectionSocket(req.ssl != nullptr, req.local_port, req.remote_port);
        if (fd >= 0) {
            // Written by hand: the server library would add a proper length.
            const std::string head =
                "HTTP/1.1 200 OK\r\nContent-Type: video/x-flv\r\nContent-Length: crap\r\n"
                "Connection: close\r\n\r\nFLV";
            ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
            ::shutdown(fd, SHUT_WR);
        }
        res.status = 500;
        return true;
    }
    if (Has(fault, "500")) {
        SimHttp::SendPage(res, "<html><body><h1>500 Internal Server Error</h1></body></html>", 500);
        return true;
    }
    if (Has(fault, "503once") && attempt == 0) {
        SimHttp::SendPage(res, "<html><body><h1>503 Service Unavailable</h1></body></html>", 503);
        res.set_header("Retry-After", "1");
        return true;
    }
    const QString host = SimHttp::HostOf(req);
    if (Has(fault, "loop")) {
        SimHttp::Redirect(res, SimHttp::SchemeOf(req) + "://" + host + Target(req), 302);
        return true;
    }
    if (Has(fault, "relative")) {
        SimHttp::Redirect(res, Target(req), 302);
        return true;
    }
    if (Has(fault, "dns")) {
        SimHttp::Redirect(res, "http://media.zorv.invalid" + Target(req), 302);
        return true;
    }
    if (Has(fault, "tls") && req.ssl == nullptr) {
        SimHttp::Redirect(res, "https://" + host + Target(req), 302);
        return true;
    }
    return false;
}

void SendFile(const httplib::Request& req, httplib::Response& res, std::shared_ptr<QFile> file, qint64 size,
              const std::string& mime, const QString& fault, int attempt, const std::atomic<bool>& stopping) {
    // This answer is the range asked for (or deliberately not): the server
    // library must not cut the body to the range once more.
    const_cast<httplib::Request&>(req).ranges.clear();

    if (fault == "nolength") {
        res.status = 200;
        res.set_chunked_content_provider(mime, [file, size](size_t offset, httplib::DataSink& sink) {
            if (static_cast<qint64>(offset) >= size) {
                sink.done();
                return true;
            }
            return WriteBlock(*file, static_cast<qint64>(offset), size - static_cast<qint64>(offset), sink);
        });
        return;
    }

    static const QRegularExpression rangeForm("^bytes=(\\d+)-(\\d*)$");
    const QRegularExpressionMatch range =
        rangeForm.match(QString::fromStdString(req.get_header_value("Range")).trimmed());
    qint64 from = 0;
    qint64 last = size - 1;
    if (!Has(fault, "norange") && range.hasMatch() && range.captured(1).toLongLong() < size) {
        from = range.captured(1).toLongLong();
        if (!range.captured(2).isEmpty())
            last = std::min(last, std::max(from, range.captured(2).toLongLong()));
        res.status = 206;
        res.set_header("Content-Range",
                       QString("bytes %1-%2/%3").arg(from).arg(last).arg(size).toStdString());
    } else {
        res.status = 200;
    }
    res.set_header("Accept-Ranges", Has(fault, "norange") ? "none" : "bytes");
    if (!Has(fault, "lastmodified") && !Has(fault, "novalidator")) {
        const QString tag = Has(fault, "newtag") ? QString("\"zv-%1-%2\"").arg(size).arg(attempt)
                                                 : QString("\"zv-%1\"").arg(size);
        res.set_header("ETag", tag.toStdString());
    }
    if (!Has(fault, "novalidator"))
        res.set_header("Last-Modified", kLastModified);

    // Where this attempt's body ends early, counted in bytes of the file.
    qint64 cutAt = -1;
    bool reset = false;
    if (const auto cuts = Numbers(fault, "cutat"); cuts && attempt < cuts->size()) {
        cutAt = cuts->at(attempt);
    } else if (const auto resets = Numbers(fault, "resetat"); resets && attempt < resets->size()) {
        cutAt = resets->at(attempt);
        reset = true;
    } else if (Has(fault, "cut")) {
        cutAt = size / 2;
    }
    const qint64 length = last + 1 - from;
    const qint64 limit = cutAt < 0 ? length : std::clamp(cutAt - from, qint64(0), length);
    const bool crawl = Has(fault, "crawl");
    const bool slow = crawl || Has(fault, "slow");
    const qint64 slowBlock = crawl ? kCrawlBlock : kSlowBlock;
    const auto slowPause = crawl ? kCrawlPause : kSlowPause;
    const bool tls = req.ssl != nullptr;
    const int localPort = req.local_port;
    const int remotePort = req.remote_port;
    res.set_content_provider(static_cast<size_t>(length), mime,
                             [=, &stopping](size_t offset, size_t wanted, httplib::DataSink& sink) {
                                 if (stopping.load())
                                     return false;
                                 const qint64 at = static_cast<qint64>(offset);
                                 if (at >= limit) {
                                     // Returning false makes the server drop the connection.
                                     if (reset)
                                         ResetConnection(tls, localPort, remotePort);
                                     return false;
                                 }
                                 if (slow)
                                     std::this_thread::sleep_for(slowPause);
                                 const qint64 most = std::min(
                                     {static_cast<qint64>(wanted), limit - at, slow ? slowBlock : kBlock});
                                 return WriteBlock(*file, from + at, most, sink);
                             });
}

} // namespace MediaFaults
