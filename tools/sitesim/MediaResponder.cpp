#include "sitesim/MediaResponder.h"

#include "sitesim/SimHttp.h"

#include <QFile>
#include <QUrl>
#include <QUrlQuery>

#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr qint64 kBlock = 8192;
constexpr qint64 kSlowBlock = 2048;
constexpr auto kSlowPause = std::chrono::milliseconds(100);

QString ChooseFault(const httplib::Request& req, const SimContext& ctx, const QString& entryFault) {
    if (SimHttp::HasParam(req, "fault"))
        return SimHttp::Param(req, "fault");
    if (!entryFault.isEmpty())
        return entryFault;
    return ctx.MediaFault();
}

// The next hop keeps the address exactly as requested with "hop" counted up,
// absolute because a media client resolves nothing.
void RedirectHop(const httplib::Request& req, httplib::Response& res, int hop) {
    QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(SimHttp::SchemeOf(req).toStdString() + "://" +
                                                           req.get_header_value("Host") + req.target));
    QUrlQuery query(url);
    query.removeAllQueryItems("hop");
    query.addQueryItem("hop", QString::number(hop));
    url.setQuery(query);
    SimHttp::Redirect(res, QString::fromLatin1(url.toEncoded()), 302);
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

} // namespace

namespace MediaResponder {

void Serve(const httplib::Request& req, httplib::Response& res, const SimContext& ctx, const QString& kind,
           const QString& entryFault) {
    const QString fault = ChooseFault(req, ctx, entryFault);
    if (fault == "404") {
        SimHttp::SendPage(res, "<html><body><h1>404 Not Found</h1></body></html>", 404);
        return;
    }
    if (fault.startsWith("redirect")) {
        const int wanted = fault.mid(8).toInt();
        const int hop = SimHttp::Param(req, "hop").toInt();
        if (hop < wanted) {
            RedirectHop(req, res, hop + 1);
            return;
        }
    }

    auto file = std::make_shared<QFile>(ctx.media.PathOf(kind));
    if (!file->open(QIODevice::ReadOnly)) {
        SimHttp::SendPage(res, "<html><body>media file missing</body></html>", 500);
        return;
    }
    const qint64 size = file->size();
    const std::string mime = MediaLibrary::MimeType(kind).toStdString();
    const std::atomic<bool>& stopping = ctx.stopping;
    res.status = 200;

    if (fault == "nolength") {
        res.set_chunked_content_provider(mime, [file, size](size_t offset, httplib::DataSink& sink) {
            if (static_cast<qint64>(offset) >= size) {
                sink.done();
                return true;
            }
            return WriteBlock(*file, static_cast<qint64>(offset), size - static_cast<qint64>(offset), sink);
        });
        return;
    }
    if (fault == "cut") {
        // Returning false makes the server drop the connection mid-body.
        const qint64 half = size / 2;
        res.set_content_provider(static_cast<size_t>(size), mime,
                                 [file, half](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (static_cast<qint64>(offset) >= half)
                                         return false;
                                     return WriteBlock(*file, static_cast<qint64>(offset),
                                                       half - static_cast<qint64>(offset), sink);
                                 });
        return;
    }
    const bool slow = fault == "slow";
    res.set_content_provider(
        static_cast<size_t>(size), mime,
        [file, slow, &stopping](size_t offset, size_t length, httplib::DataSink& sink) {
            if (stopping.load())
                return false;
            if (slow)
                std::this_thread::sleep_for(kSlowPause);
            return WriteBlock(*file, static_cast<qint64>(offset),
                              std::min<qint64>(static_cast<qint64>(length), slow ? kSlowBlock : kBlock),
                              sink);
        });
}

} // namespace MediaResponder
