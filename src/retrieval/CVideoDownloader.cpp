#include "retrieval/CVideoDownloader.h"

#include "base/AppLog.h"
#include "platform/FileAttributes.h"
#include "platform/ParseUrl.h"
#include "retrieval/ChunkedFileWriter.h"
#include "retrieval/FilePlacement.h"
#include "retrieval/TextUtil.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

namespace {
constexpr const char* kCategory = CVideoDownloader::kLogCategory;
constexpr int kPageResponses = 3;
constexpr int kMediaResponses = 10;
constexpr int kMaxExceptionText = 255;
// libcurl's code for a body that ended before its announced length.
constexpr int kPartialFileCode = TransportError::kCodeBase + 18;
// Pages are parsed whole in memory; no real watch page or information reply
// comes near this, while a media file or a hostile server easily would.
constexpr qint64 kMaxPageBytes = qint64(32) * 1024 * 1024;
// A body that ended before its announced length.
const QString kShortMediaText = QStringLiteral("Network error, can not get FLV file");
// A media download the user's stop ended: no failure, so an info line.
const QString kStoppedMediaText = QStringLiteral("Download stopped by the user");

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
    return (scheme + QStringLiteral("://") + server + QLatin1Char(':') + QString::number(parts.port) +
            parts.object)
        .toUtf8();
}

QString CannotConnect(int result) {
    return QStringLiteral("can not connect to flv url, %1").arg(result);
}
} // namespace

CVideoDownloader::CVideoDownloader(TransferContext* owner)
    : owner(owner), useCache(owner ? owner->UseInternalCache() : 0) {}

CVideoDownloader::~CVideoDownloader() = default;

void CVideoDownloader::SetUseCache(int flag) {
    useCache = flag;
}

int CVideoDownloader::CheckStop() const {
    return owner ? owner->CheckStop() : 0;
}

bool CVideoDownloader::StopRequested() const {
    return owner && owner->StopRequested();
}

void CVideoDownloader::SetError(const QString& text) const {
    if (owner)
        owner->SetError(text);
    else
        LogErrorW(kCategory, QStringLiteral("Error: ") + text);
}

void CVideoDownloader::ReportBytes(const MediaResult& result) const {
    if (owner)
        owner->SetByteCounts(result.receivedBytes, result.totalBytes);
}

void CVideoDownloader::ReportException(const char* label, const TransportError& error) {
    QString text = error.message.left(kMaxExceptionText);
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    LogErrorW(kCategory, QStringLiteral("%1() Exception [%2]: %3")
                             .arg(QString::fromUtf8(label), QString::number(error.code), text));
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
        request.abortCheck = [context = owner] { return context->StopRequested(); };

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
    case 303:
    case 307:
    case 308: {
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
    PageResult result = GetHTMLPage(address);
    text += result.text;
    if (!result.location.isEmpty())
        location = result.location;
    return result.code;
}

PageResult CVideoDownloader::GetHTMLPage(const QString& address) {
    PageResult result;
    QString current = address;
    try {
        for (int remaining = kPageResponses; remaining > 0;) {
            std::unique_ptr<TransportResponse> response;
            const int r = RequestHTTP(current, response, result.location);
            result.finalAddress = current;
            if (r == 302) {
                result.httpStatus = 302;
                LogWarnW(kCategory, QStringLiteral("ParseHTMLContainer redirect to ") + result.location);
                // Relative targets resolve against the first address, not the
                // previous hop.
                current = MakeAbsoluteUrl(result.location, address);
                --remaining;
                continue;
            }
            if (r == 404) {
                result.httpStatus = 404;
                result.errorText = QStringLiteral("The page was not found (HTTP 404): ") + current;
                return result;
            }
            if (r != 0) {
                result.errorText = QStringLiteral("The page could not be requested: ") + current;
                return result;
            }
            result.httpStatus = response->StatusCode();
            const QString tooLarge =
                QStringLiteral("The page is larger than %1 MiB and is not read: ").arg(kMaxPageBytes >> 20) +
                current;
            const qint64 announced = response->ContentLength();
            if (announced > kMaxPageBytes) {
                result.errorText = tooLarge;
                SetError(tooLarge);
                return result;
            }
            // Decoded once at the end so a character split between two
            // blocks comes out whole.
            QByteArray bytes;
            char block[kBlockSize];
            for (;;) {
                const qint64 n = response->Read(block, kBlockSize);
                if (n == 0)
                    break;
                if (bytes.size() + n > kMaxPageBytes) {
                    result.errorText = tooLarge;
                    SetError(tooLarge);
                    return result;
                }
                bytes.append(block, n);
                if (CheckStop()) {
                    result.code = 111;
                    result.stopped = true;
                    return result;
                }
            }
            if (announced >= 0 && bytes.size() < announced) {
                // Parsing what arrived would give a wrong answer or a
                // misleading "no video" instead of the network's fault.
                result.code = kPartialFileCode;
                result.errorText = QStringLiteral("Network error, the page ended after %1 of %2 bytes: ")
                                       .arg(bytes.size())
                                       .arg(announced) +
                                   current;
                SetError(result.errorText);
                return result;
            }
            result.text = QString::fromUtf8(bytes);
            result.code = 0;
            return result;
        }
        result.errorText = QStringLiteral("The page redirected too many times: ") + address;
        return result;
    } catch (const TransportError& error) {
        if (StopRequested()) {
            // The stop request cut the network wait short.
            result.code = 111;
            result.stopped = true;
            return result;
        }
        ReportException("GetHTMLPage", error);
        SetError(error.message);
        result.code = error.code;
        result.errorText = error.message;
        return result;
    }
}

int CVideoDownloader::GetFLVFile(const QString& address, const QString& temporaryPath, QString& finalAddress,
                                 ByteCount& totalBytes, ByteCount& receivedBytes) {
    const MediaResult result = GetFLVFile(address, temporaryPath);
    if (!result.finalAddress.isEmpty())
        finalAddress = result.finalAddress;
    totalBytes = result.totalBytes;
    receivedBytes = result.receivedBytes;
    return result.code;
}

QString CVideoDownloader::OpenMedia(const QString& address, quint64 from, MediaResult& result,
                                    std::unique_ptr<TransportResponse>& response) {
    const QString range = from > 0 ? QStringLiteral("Range: bytes=%1-").arg(from) : QString();
    QString current = address;
    int r = -1;
    for (int remaining = kMediaResponses; remaining > 0; --remaining) {
        r = RequestHTTP(current, response, result.location, QStringLiteral("GET"), std::nullopt, range);
        if (r != 302)
            break;
        result.httpStatus = 302;
        if (result.location.isEmpty())
            throw DownloadFailure{CannotConnect(302)};
        // Taken as sent: a relative target cannot be requested.
        current = result.location;
        LogInfoW("CVideoDownloader::GetFLVFile", QStringLiteral("Redirect to new location: ") + current);
    }
    if (r == 404)
        result.httpStatus = 404;
    // An error page (403, 500, ...) in place of the media file is a
    // failed download, not a video.
    if (r == 0) {
        result.httpStatus = response->StatusCode();
        if (result.httpStatus >= 400)
            r = result.httpStatus;
    }
    if (r != 0)
        throw DownloadFailure{CannotConnect(r)};
    return current;
}

namespace {
// True when `response` is exactly the rest of the file `resume` began: 206,
// a Content-Range from the kept length to the end of a file of the first
// answer's length, and the first answer's validator (or, without one, the
// same address).
bool ContinuesFile(const TransportResponse& response, const MediaResume& resume, const QString& address) {
    if (response.StatusCode() != 206)
        return false;
    static const QRegularExpression contentRange(QStringLiteral("^bytes\\s+(\\d+)-(\\d+)/(\\d+)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m =
        contentRange.match(response.Header("Content-Range").value_or(QString()));
    if (!m.hasMatch() || m.captured(1).toULongLong() != resume.bytes ||
        m.captured(3).toULongLong() != resume.totalBytes ||
        m.captured(2).toULongLong() + 1 != resume.totalBytes)
        return false;
    const qint64 length = response.ContentLength();
    if (length >= 0 && static_cast<quint64>(length) != resume.totalBytes - resume.bytes)
        return false;
    if (!resume.etag.isEmpty())
        return response.Header("ETag") == resume.etag;
    if (!resume.lastModified.isEmpty())
        return response.Header("Last-Modified") == resume.lastModified;
    return address == resume.address;
}

// Writes what identifies the answer into the temporary file's attributes,
// so a later run can continue the file after this program was killed.
// Quietly nothing where the file system keeps no attributes.
void KeepOrigin(const MediaResume& resume) {
    const std::pair<const char*, QString> values[] = {
        {kOriginUrlAttribute, resume.address},
        {kEtagAttribute, resume.etag},
        {kLastModifiedAttribute, resume.lastModified},
        {kLengthAttribute, QString::number(resume.totalBytes)},
    };
    for (const auto& [name, value] : values)
        if (!SetTemporaryFileAttribute(resume.path, name, value.toUtf8()))
            return;
}

MediaResume FirstAnswer(const TransportResponse& response, const QString& path, const QString& address) {
    MediaResume resume;
    resume.path = path;
    resume.totalBytes = static_cast<quint64>(std::max<qint64>(response.ContentLength(), 0));
    resume.etag = response.Header("ETag").value_or(QString());
    resume.lastModified = response.Header("Last-Modified").value_or(QString());
    resume.address = address;
    return resume;
}
} // namespace

namespace {
// A stopped download is no error: an info line, and the item's error text
// stays what it was.
void LogStop(MediaResult& result) {
    LogInfoW("CVideoDownloader::GetFLVFile", kStoppedMediaText);
    result.code = -1;
    result.errorText = kStoppedMediaText;
}
} // namespace

MediaResult CVideoDownloader::GetFLVFile(const QString& address, const QString& temporaryPath,
                                         MediaResume* resume) {
    MediaResult result;
    bool bodyStarted = false;
    try {
        quint64 from = resume && resume->path == temporaryPath && resume->Usable() ? resume->bytes : 0;
        std::unique_ptr<TransportResponse> response;
        QString current = OpenMedia(address, from, result, response);
        if (from > 0 && !ContinuesFile(*response, *resume, current)) {
            LogInfoW(
                "CVideoDownloader::GetFLVFile",
                QStringLiteral("The server did not send the rest of the file (status %1); starting over: ")
                        .arg(response->StatusCode()) +
                    current);
            from = 0;
            if (response->StatusCode() == 206) {
                // A part of something else: ask for the whole file.
                response.reset();
                current = OpenMedia(address, 0, result, response);
            }
        }
        if (resume && from == 0) {
            *resume = FirstAnswer(*response, temporaryPath, current);
            KeepOrigin(*resume);
        }
        result.finalAddress = current;
        bodyStarted = true;
        DownloadFile(*response, temporaryPath, result, from);
        if (result.receivedBytes >= result.totalBytes)
            result.code = 0; // complete, even when a stop came with the last block
        else if (result.stopped)
            LogStop(result);
        else
            throw DownloadFailure{kShortMediaText};
    } catch (const DownloadFailure& failure) {
        LogErrorW(kCategory, QStringLiteral("GetFLVFile() Error: ") + failure.text);
        SetError(failure.text);
        result.code = -1;
        result.errorText = failure.text;
        // The kept bytes are past the end of what the server has now.
        if (resume && result.httpStatus == 416)
            *resume = MediaResume{};
    } catch (const TransportError& error) {
        if (StopRequested()) {
            // A stop that cut the network wait short ends like one noticed
            // after a block.
            result.stopped = true;
            LogStop(result);
        } else {
            ReportException("GetFlvFile", error);
            SetError(error.message);
            result.code = error.code;
            result.errorText = error.message;
        }
    } catch (const std::exception&) {
        result.code = -1;
    }
    // An attempt that failed before any body arrived leaves the kept bytes
    // as they were.
    if (resume && bodyStarted && resume->path == temporaryPath)
        resume->bytes = result.bytesOnDisk;
    return result;
}

void CVideoDownloader::DownloadFile(TransportResponse& response, const QString& path, MediaResult& result,
                                    quint64 resumeFrom) {
    static const char* const kFileCategory = "CVideoDownloader::DownloadFile";
    result.totalBytes = 0;
    result.receivedBytes = 0;
    result.resumedFrom = 0;
    result.bytesOnDisk = 0;
    ReportBytes(result);

    ChunkedFileWriter file(kWriteChunk);
    errno = 0;
    // A temporary file this program made is written through the descriptor
    // it was created and locked with: a name swapped for a link meanwhile
    // leads nowhere.
    const int created = DuplicateTemporaryFile(path);
    const bool opened = created >= 0 ? file.Adopt(created, static_cast<long long>(resumeFrom))
                                     : file.Open(path, static_cast<long long>(resumeFrom));
    if (!opened) {
        LogErrorW(kFileCategory,
                  QStringLiteral("Open file failed: %1, %2\n").arg(path, QString::number(errno)));
        throw DownloadFailure{QStringLiteral("can not create output file")};
    }
    result.resumedFrom = resumeFrom;
    result.bytesOnDisk = resumeFrom;
    const auto writeFailed = [&] {
        LogErrorW(kFileCategory,
                  QStringLiteral("Write file failed: %1, %2\n").arg(path, QString::number(errno)));
        result.bytesOnDisk = static_cast<quint64>(file.Written());
        return DownloadFailure{QStringLiteral("Write file failed")};
    };

    const qint64 announced = response.ContentLength();
    if (announced < 0)
        throw DownloadFailure{
            QStringLiteral("Can not download the FLV file, please check your network connection.")};
    result.totalBytes = resumeFrom + static_cast<quint64>(announced);
    result.receivedBytes = resumeFrom;
    ReportBytes(result);
    // A file that cannot fit fails now, not after most of it has arrived;
    // a file system that cannot reserve space simply grows the file.
    errno = 0;
    if (announced > 0 && !file.Preallocate(static_cast<long long>(result.totalBytes)) &&
        (errno == ENOSPC || errno == EFBIG))
        throw writeFailed();

    // Progress and the stop check follow the body in whole 8192-byte blocks
    // (the last one may be short), however the reads happen to split it.
    quint64 arrived = resumeFrom;
    const auto countBlock = [&](quint64 upTo) {
        result.receivedBytes = upTo;
        ReportBytes(result);
        if (owner) {
            const quint64 total = result.totalBytes;
            const double ratio =
                total ? static_cast<double>(result.receivedBytes) / static_cast<double>(total) : 1.0;
            owner->PostProgress(static_cast<int>(std::min(ratio, 1.0) * 1000));
        }
        result.stopped = CheckStop() != 0;
    };
    // What arrived reaches the file at least this often, so a killed
    // program leaves it for the next run to continue.
    constexpr auto kFlushInterval = std::chrono::seconds(1);
    auto lastFlush = std::chrono::steady_clock::now();
    try {
        for (;;) {
            errno = 0;
            if (std::chrono::steady_clock::now() - lastFlush >= kFlushInterval) {
                if (!file.Flush())
                    throw writeFailed();
                lastFlush = std::chrono::steady_clock::now();
            }
            char* block = file.Reserve(kReadSize);
            if (!block)
                throw writeFailed();
            // A network failure propagates once what arrived is written out.
            const qint64 n = response.Read(block, kReadSize, kBlockSize);
            if (n == 0) {
                if (arrived > result.receivedBytes)
                    countBlock(arrived);
                break;
            }
            file.Commit(static_cast<std::size_t>(n));
            arrived += static_cast<quint64>(n);
            while (!result.stopped && arrived - result.receivedBytes >= static_cast<quint64>(kBlockSize))
                countBlock(result.receivedBytes + kBlockSize);
            if (result.stopped)
                break;
        }
    } catch (const TransportError&) {
        // The bytes that came are good: the next attempt may continue after them.
        file.Flush();
        result.bytesOnDisk = static_cast<quint64>(file.Written());
        throw;
    }
    errno = 0;
    if (!file.Close())
        throw writeFailed();
    result.bytesOnDisk = static_cast<quint64>(file.Written());
}
