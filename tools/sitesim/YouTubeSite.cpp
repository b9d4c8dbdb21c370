#include "sitesim/YouTubeSite.h"

#include "sitesim/HostileContent.h"
#include "sitesim/MediaResponder.h"
#include "sitesim/SimHttp.h"

#include <QCryptographicHash>
#include <QStringList>

using namespace SimHttp;

namespace {

// Plain types only: a type with codecs carries spaces and quotes, which a
// client that keeps the field in the address would send on unescaped.
QString MimeOfItag(const QString& media) {
    return media == "mp4" ? "video/mp4" : "video/x-flv";
}

// A stream-map entry in the form the watch page's player script carries it:
// fields joined by a JSON-escaped "&", the address percent-encoded. Every
// second entry writes its address with JSON-escaped slashes instead, as the
// site did for some entries, so a client has to undo both escapings.
QString EncodedEntry(const QString& id, const SimStream& stream, int index) {
    const QString address = YouTubeSite::MediaAddress(id, stream.itag);
    QString url;
    if (index % 2 == 0) {
        url = Pct(address);
    } else {
        const int q = address.indexOf('?');
        url = QString(address.left(q)).replace("/", "\\/") + Pct(address.mid(q));
    }
    return QString("url=%1\\u0026quality=medium\\u0026fallback_host=tc.v1.cache1.c.youtube.com"
                   "\\u0026type=%2\\u0026itag=%3")
        .arg(url, Pct(MimeOfItag(stream.media)), QString::number(stream.itag));
}

// The earliest form: "itag|address" with the address only JSON-escaped.
QString PipeEntry(const QString& id, const SimStream& stream) {
    return QString("%1|%2")
        .arg(stream.itag)
        .arg(YouTubeSite::MediaAddress(id, stream.itag).replace("/", "\\/").replace("&", "\\u0026"));
}

} // namespace

QString YouTubeSite::MediaAddress(const QString& id, int itag) {
    return QString("http://%1/videoplayback?id=%2&itag=%3&signature=%4")
        .arg(kWebHost, Pct(id), QString::number(itag), TokenFor(id).left(8));
}

QString YouTubeSite::TokenFor(const QString& id) {
    const QByteArray hash = QCryptographicHash::hash(id.toUtf8(), QCryptographicHash::Sha1).toHex();
    return "vjVQa1PpcF" + QString::fromLatin1(hash.left(24)) + "%3D";
}

bool YouTubeSite::Handle(const httplib::Request& req, httplib::Response& res) const {
    const QString path = QString::fromStdString(req.path);
    if (HostOf(req) == kShortHost) {
        // The short link names the id as its whole path.
        const QString id = path.mid(1);
        if (id.isEmpty() || id.contains('/'))
            return false;
        Redirect(res, QString("http://%1/watch?v=%2&feature=youtu.be").arg(kWebHost, Pct(id)), 301);
        return true;
    }
    if (path == "/")
        Home(req, res);
    else if (path == "/watch")
        Watch(req, res);
    else if (path == "/get_video_info")
        VideoInfo(req, res);
    else if (path == "/videoplayback")
        Media(req, res);
    else
        return false;
    return true;
}

void YouTubeSite::Home(const httplib::Request& req, httplib::Response& res) const {
    if (HasParam(req, "persist_hl") || HasParam(req, "persist_gl")) {
        const QString hl = HasParam(req, "hl") ? Param(req, "hl") : "en";
        const QString gl = HasParam(req, "gl") ? Param(req, "gl") : "US";
        AddCookie(res, QString("PREF=f1=50000000&hl=%1&gl=%2; path=/; domain=.youtube.com").arg(hl, gl));
        Redirect(res, QString("http://%1/").arg(kWebHost), 302);
        return;
    }
    QString items;
    for (const SimVideo& v : ctx_.catalogue.Videos(SimSite::YouTube)) {
        items += QString("<li><a href=\"/watch?v=%1\">%2</a></li>\n")
                     .arg(HtmlEscape(Pct(v.id)), HtmlEscape(v.title));
    }
    SendPage(
        res,
        QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                "<title>YouTube - Broadcast Yourself.</title></head>\n<body><ul>\n%1</ul></body></html>\n")
            .arg(items));
}

void YouTubeSite::Watch(const httplib::Request& req, httplib::Response& res) const {
    const QString id = Param(req, "v");
    const SimVideo* video = ctx_.catalogue.Find(SimSite::YouTube, id);
    if (video == nullptr) {
        SendPage(res,
                 "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                 "<title>YouTube - Broadcast Yourself.</title></head>\n<body>"
                 "<div id=\"unavailable-message\" class=\"yt-alert-content\">This video is unavailable.</div>"
                 "</body></html>\n");
        return;
    }
    const QString next = Pct("/watch?v=" + id);
    if (video->gate == "captcha" && Cookie(req, "captcha_ok") != ctx_.sessionToken) {
        Redirect(res, QString("http://%1/das_captcha?next=%2").arg(kWebHost, next), 302);
        return;
    }
    if (video->gate == "age" && Cookie(req, "is_adult") != ctx_.sessionToken &&
        Cookie(req, "LOGIN_INFO") != ctx_.sessionToken) {
        Redirect(res, QString("http://%1/verify_age?next_url=%2").arg(kWebHost, next), 302);
        return;
    }
    HostileContent::SendWatchPage(
        res, video->page,
        QString("<!DOCTYPE html>\n<html lang=\"en\"><head>"
                "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">\n"
                "<title>%1 - YouTube</title></head>\n<body>\n"
                "<h1 id=\"watch-headline-title\">%1</h1>\n<div id=\"watch-player\"></div>\n"
                "<script>\n%2\n</script>\n</body></html>\n")
            .arg(HostileContent::PageTitle(video->page, video->title), StreamMapScript(*video)));
}

QString YouTubeSite::StreamMapScript(const SimVideo& video) const {
    QStringList entries;
    QStringList formats;
    for (int i = 0; i < video.streams.size(); ++i) {
        const SimStream& s = video.streams[i];
        entries << (video.map == "fmt_url_map_pipe" ? PipeEntry(video.id, s) : EncodedEntry(video.id, s, i));
        formats << QString("%1\\/320x240\\/9\\/0\\/115").arg(s.itag);
    }
    const QString key = video.map == "encoded" ? "url_encoded_fmt_stream_map" : "fmt_url_map";
    return QString("var swfConfig = {\"url\": \"http:\\/\\/s.ytimg.com\\/yt\\/swf\\/watch-vfl.swf\", "
                   "\"min_version\": \"8.0.0\", \"args\": {\"video_id\": \"%1\", \"fmt_list\": \"%2\", "
                   "\"%3\": \"%4\", \"t\": \"%5\", \"hl\": \"en_US\"}};")
        .arg(video.id, formats.join(','), key, entries.join(','), TokenFor(video.id));
}

void YouTubeSite::VideoInfo(const httplib::Request& req, httplib::Response& res) const {
    const QString id = Param(req, "video_id");
    const SimVideo* video = ctx_.catalogue.Find(SimSite::YouTube, id);
    if (video == nullptr) {
        SendText(res, "status=fail&errorcode=100&reason=This+video+does+not+exist.");
        return;
    }
    const bool refused =
        video->info == "fail" || (video->info == "detailpage" && Param(req, "el") != "detailpage");
    if (refused) {
        SendText(res, "status=fail&errorcode=150&reason=Embedding+disabled+by+request.");
        return;
    }
    // Spaces travel as %20 and a plus sign stays itself, as the site sent titles.
    const QString reply =
        QString("status=ok&author=zorvtester&video_id=%1&length_seconds=2&token=%2"
                "&thumbnail_url=%3&title=%4&keywords=sample&timestamp=1300000000")
            .arg(Pct(id), TokenFor(id), Pct(QString("http://i.ytimg.com/vi/%1/default.jpg").arg(id)),
                 Pct(video->title, "+"));
    SendText(res, reply.toUtf8(), "application/x-www-form-urlencoded");
}

void YouTubeSite::Media(const httplib::Request& req, httplib::Response& res) const {
    const SimVideo* video = ctx_.catalogue.Find(SimSite::YouTube, Param(req, "id"));
    const int itag = Param(req, "itag").toInt();
    if (video != nullptr) {
        for (const SimStream& s : video->streams) {
            if (s.itag == itag) {
                MediaResponder::Serve(req, res, ctx_, s.media, video->fault);
                return;
            }
        }
    }
    SendPage(res, "<html><body><h1>404 Not Found</h1></body></html>", 404);
}
