#include "sitesim/MediaResponder.h"

#include "sitesim/MediaFaults.h"
#include "sitesim/SimHttp.h"

#include <QFile>
#include <QUrl>
#include <QUrlQuery>

#include <memory>

namespace {

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

} // namespace

namespace MediaResponder {

void Serve(const httplib::Request& req, httplib::Response& res, const SimContext& ctx, const QString& kind,
           const QString& entryFault) {
    const int attempt = ctx.mediaRequests.Record(req);
    const QString fault = MediaFaults::ForRequest(ChooseFault(req, ctx, entryFault), req);
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
    if (MediaFaults::AnswerInstead(req, res, fault, attempt))
        return;

    auto file = std::make_shared<QFile>(ctx.media.PathOf(kind));
    if (!file->open(QIODevice::ReadOnly)) {
        SimHttp::SendPage(res, "<html><body>media file missing</body></html>", 500);
        return;
    }
    MediaFaults::SendFile(req, res, file, file->size(), MediaLibrary::MimeType(kind).toStdString(), fault,
                          attempt, ctx.stopping);
}

} // namespace MediaResponder
