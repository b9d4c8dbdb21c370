#include "sitesim/MetacafeSite.h"

#include "sitesim/HostileContent.h"
#include "sitesim/MediaResponder.h"
#include "sitesim/SimHttp.h"

#include <QRegularExpression>

using namespace SimHttp;

QString MetacafeSite::MediaAddress(const QString& id, const QString& suffix) {
    return QString("http://") + kOldMediaHost + "/ItemFiles/" +
           Pct("[From www.metacafe.com] " + id + suffix) + ".flv";
}

bool MetacafeSite::HandleWeb(const httplib::Request& req, httplib::Response& res) const {
    static const QRegularExpression watchPath("^/watch/([^/]+)(?:/([^/]*))?/?$");
    const QString path = QString::fromStdString(req.path);
    if (path == "/") {
        QString items;
        for (const SimVideo& v : ctx_.catalogue.Videos(SimSite::Metacafe)) {
            items += QString("<li><a href=\"/watch/%1/%2/\">%3</a></li>\n")
                         .arg(HtmlEscape(Pct(v.id)), HtmlEscape(Pct(v.slug)), HtmlEscape(v.title));
        }
        SendPage(res, HtmlPage("Metacafe", "<ul>\n" + items + "</ul>"));
        return true;
    }
    const QRegularExpressionMatch m = watchPath.match(path);
    if (!m.hasMatch())
        return false;
    const SimVideo* video = ctx_.catalogue.Find(SimSite::Metacafe, m.captured(1));
    if (video == nullptr) {
        // The site answered unknown clips with its front page, not an error.
        SendPage(res, "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Metacafe - Best Videos "
                      "&amp; Funny Movies</title></head>\n<body><p>Item not found.</p></body></html>\n");
        return true;
    }
    if (m.captured(2).isEmpty()) {
        Redirect(res, QString("http://%1/watch/%2/%3/").arg(kWebHost, Pct(video->id), Pct(video->slug)), 301);
        return true;
    }
    Watch(*video, res);
    return true;
}

void MetacafeSite::Watch(const SimVideo& video, httplib::Response& res) const {
    // The page carries the address percent-encoded once more than the
    // address itself: a client decodes one level.
    const QString param = video.param;
    QString players =
        QString("<param name=\"flashvars\" value=\"%1=%2&amp;postRollContentURL=&amp;itemID=%3&amp;"
                "altServerURL=%4\">\n")
            .arg(param, Pct(MediaAddress(video.id)), Pct(video.id), Pct(QString("http://") + kWebHost));
    if (video.twoParams) {
        players +=
            QString("<embed src=\"http://%1/fplayer/%2/%3.swf\" flashVars=\"%4=%5&amp;autoPlay=no\">\n")
                .arg(kWebHost, Pct(video.id), Pct(video.slug), param, Pct(MediaAddress(video.id, "_hq")));
    }
    HostileContent::SendWatchPage(
        res, video.page,
        QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                "<body>\n<h1 id=\"ItemTitle\">%1</h1>\n<object id=\"fpObj\">\n%2</object>\n"
                "</body></html>\n")
            .arg(HostileContent::PageTitle(video.page, video.title), players));
}

bool MetacafeSite::HandleMedia(const httplib::Request& req, httplib::Response& res) const {
    static const QRegularExpression file("^/ItemFiles/\\[From www\\.metacafe\\.com\\] (.+)\\.flv$");
    const QRegularExpressionMatch m = file.match(QString::fromStdString(req.path));
    if (!m.hasMatch())
        return false;
    // Only the first parameter's file exists: the second one must not be taken.
    const SimVideo* video = ctx_.catalogue.Find(SimSite::Metacafe, m.captured(1));
    if (video == nullptr) {
        SendPage(res, "<html><body><h1>404 Not Found</h1></body></html>", 404);
        return true;
    }
    MediaResponder::Serve(req, res, ctx_, video->media, video->fault);
    return true;
}
