#include "retrieval/CVideoDownloader.h"

#include "app/AppLog.h"
#include "platform/ParseUrl.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/TextUtil.h"

#include <QFile>
#include <QUrl>

#include <cerrno>

namespace {
constexpr const char* kCategory = "CVideoDownloader";
constexpr int kPageResponses = 3;
constexpr int kMediaResponses = 10;
constexpr int kMaxExceptionText = 255;
// Pages are parsed whole in memory; no real watch page or information reply
// comes near this, while a media file or a hostile server easily would.
constexpr qint64 kMaxPageBytes = qint64(32) * 1024 * 1024;

// The lines the sites see on every request, in this order.
const char* const kRequestHeaders[] = {
    "User-Agent: Mozilla/5.0 (X11; Linux x86_64; rv:2.0b11) Gecko/20100101 Firefox/4.0b11",
    "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7",
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8",
    "Accept-Language: en-us,en;q=0.5",
    "Accept-Encoding: deflate",
};

// The address as the HTTP layer takes it: https stays TLS, every other
// accepted scheme is plain HTTP.
QByteArray RequestUrl(const UrlParts& parts) {
    QString server = parts.server;
    if (server.contains(QLatin1Char(':')))
        server = QLatin1Char('[') + server + QLatin1Char(']');
    const QString scheme =
        parts.scheme == QLatin1String("https") ? QStringLiteral("https") : QStringLiteral("http");
    return QStringLiteral("%1://%2:%3%4").arg(scheme, server).arg(parts.port).arg(parts.object).toUtf8();
}
} // namespace

CVideoDownloader::CVideoDownloader(DownloadWorker* owner)
    : owner(owner), useCache(owner ? owner->useInternalCache.load() : 0) {}

CVideoDownloader::~CVideoDownloader() = default;

void CVideoDownloader::SetUseCache(int flag) {
    useCache = flag;
}

int CVideoDownloader::CheckStop() const {
    return owner ? owner->CheckStop() : 0;
}

void CVideoDownloader::SetError(const QString& text) const {
    if (owner)
        owner->SetError(text);
    else
        LogErrorW(kCategory, QStringLiteral("Error: %1").arg(text));
}

void CVideoDownloader::ReportException(const char* label, const TransportError& error) {
    QString text = error.message.left(kMaxExceptionText);
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    LogErrorW(
        kCategory,
        QStringLiteral("%1() Exception [%2]: %3").arg(QString::fromUtf8(label)).arg(error.code).arg(text));
}

int CVideoDownloader::RequestHTTP(const QString& address, std::unique_ptr<TransportResponse>& response,
                                  QString& location, const QString& method,
                                  const std::optional<QString>& body, const QString& extraHeader) {
    response.reset();
    const std::optional<UrlParts> parts = ParseUrl(address);
    if (!parts)
        return -1;

    TransportRequest request;
    request.url = RequestUrl(*parts);
    request.method = method.toUtf8();
    for (const char* line : kRequestHeaders)
        request.headers << QByteArray(line);
    if (useCache == 0) {
        // Neither answered from nor stored in any cache on the way.
        request.headers << QByteArray("Cache-Control: no-cache") << QByteArray("Pragma: no-cache");
    }
    if (!extraHeader.isEmpty())
        request.headers << extraHeader.toUtf8();
    if (body) {
        request.body = body->toUtf8();
        // The HTTP layer would add these on its own; the sites get only what
        // the caller asked for.
        if (!extraHeader.startsWith(QLatin1String("Content-Type:"), Qt::CaseInsensitive))
            request.headers << QByteArray("Content-Type:");
        request.headers << QByteArray("Expect:");
    }
    if (owner)
        request.abortCheck = [worker = owner] { return worker->IsAbandoned(); };

    std::unique_ptr<TransportResponse> opened;
    try {
        opened = TransportResponse::Send(request);
    } catch (const TransportError& error) {
        if (error.code == TransportError::kCodeBase + 2 /* the request could not be set up */) {
            LogError("CVideoDownloder::RequestHTTP", "OpenRequest failed: %d", errno);
            return -1;
        }
        throw;
    }

    switch (opened->StatusCode()) {
    case 301:
    case 302:
    case 303: {
        const std::optional<QString> target = opened->Header("Location");
        if (!target)
            return -1;
        location = *target;
        return 302;
    }
    case 404:
        return 404;
    default:
        response = std::move(opened);
        return 0;
    }
}

int CVideoDownloader::GetHTMLPage(const QString& address, QString& text, QString& location) {
    QString current = address;
    try {
        for (int remaining = kPageResponses; remaining > 0;) {
            std::unique_ptr<TransportResponse> response;
            const int r = RequestHTTP(current, response, location);
            if (r == 302) {
                LogWarnW(kCategory, QStringLiteral("ParseHTMLContainer redirect to %1").arg(location));
                // Relative targets resolve against the first address, not the
                // previous hop.
                current = MakeAbsoluteUrl(location, address);
                --remaining;
                continue;
            }
            if (r != 0)
                return -1;
            // Decoded once at the end so a character split between two
            // blocks comes out whole.
            const QString tooLarge = QStringLiteral("The page is larger than %1 MiB and is not read: %2")
                                         .arg(kMaxPageBytes >> 20)
                                         .arg(current);
            if (response->ContentLength() > kMaxPageBytes) {
                SetError(tooLarge);
                return -1;
            }
            QByteArray bytes;
            char block[kBlockSize];
            for (;;) {
                const qint64 n = response->Read(block, kBlockSize);
                if (n == 0)
                    break;
                if (bytes.size() + n > kMaxPageBytes) {
                    SetError(tooLarge);
                    return -1;
                }
                bytes.append(block, n);
                if (CheckStop())
                    return 111;
            }
            text += QString::fromUtf8(bytes);
            return 0;
        }
        return -1;
    } catch (const TransportError& error) {
        ReportException("GetHTMLPage", error);
        SetError(error.message);
        return error.code;
    }
}

int CVideoDownloader::GetFLVFile(const QString& address, const QString& temporaryPath, QString& finalAddress,
                                 ByteCount& totalBytes, ByteCount& receivedBytes) {
    QString current = address;
    try {
        std::unique_ptr<TransportResponse> response;
        int r = -1;
        for (int remaining = kMediaResponses; remaining > 0; --remaining) {
            QString location;
            r = RequestHTTP(current, response, location);
            if (r != 302)
                break;
            if (location.isEmpty())
                throw DownloadFailure{QStringLiteral("can not connect to flv url, %1").arg(302)};
            // Taken as sent: a relative target cannot be requested.
            current = location;
            LogInfoW("CVideoDownloader::GetFLVFile",
                     QStringLiteral("Redirect to new location: %1").arg(current));
        }
        // An error page (403, 500, ...) in place of the media file is a
        // failed download, not a video.
        if (r == 0 && response->StatusCode() >= 400)
            r = response->StatusCode();
        if (r != 0)
            throw DownloadFailure{QStringLiteral("can not connect to flv url, %1").arg(r)};
        finalAddress = current;
        DownloadFile(*response, temporaryPath, totalBytes, receivedBytes);
        return 0;
    } catch (const DownloadFailure& failure) {
        LogErrorW(kCategory, QStringLiteral("GetFLVFile() Error: %1").arg(failure.text));
        SetError(failure.text);
        return -1;
    } catch (const TransportError& error) {
        ReportException("GetFlvFile", error);
        SetError(error.message);
        return error.code;
    } catch (const std::exception&) {
        return -1;
    }
}

void CVideoDownloader::DownloadFile(TransportResponse& response, const QString& path, ByteCount& totalBytes,
                                    ByteCount& receivedBytes) {
    static const char* const kFileCategory = "CVideoDownloader::DownloadFile";
    totalBytes = 0;
    receivedBytes = 0;

    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        LogErrorW(kFileCategory, QStringLiteral("Open file failed: %1, %2\n").arg(path).arg(errno));
        throw DownloadFailure{QStringLiteral("can not create output file")};
    }

    const qint64 announced = response.ContentLength();
    if (announced < 0)
        throw DownloadFailure{
            QStringLiteral("Can not download the FLV file, please check your network connection.")};
    totalBytes = static_cast<quint64>(announced);

    char block[kBlockSize];
    for (;;) {
        const qint64 n = response.Read(block, kBlockSize); // a network failure propagates; QFile closes
        if (n == 0)
            break;
        errno = 0;
        if (file.write(block, n) != n) {
            LogErrorW(kFileCategory, QStringLiteral("Write file failed: %1, %2\n").arg(path).arg(errno));
            throw DownloadFailure{QStringLiteral("Write file failed")};
        }
        receivedBytes += static_cast<quint64>(n);
        if (owner) {
            const quint64 total = totalBytes;
            const double ratio =
                total ? static_cast<double>(receivedBytes.load()) / static_cast<double>(total) : 1.0;
            owner->PostProgress(static_cast<int>(std::min(ratio, 1.0) * 1000));
        }
        if (CheckStop()) {
            owner->finalPath.clear();
            break;
        }
    }
    file.close();
    if (receivedBytes < totalBytes)
        throw DownloadFailure{QStringLiteral("Network error, can not get FLV file")};
}
