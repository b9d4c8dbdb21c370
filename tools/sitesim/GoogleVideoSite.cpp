#include "sitesim/GoogleVideoSite.h"

#include "sitesim/MediaResponder.h"
#include "sitesim/SimHttp.h"

using namespace SimHttp;

namespace {

// The player's parameters sit in a script string, where the page escapes
// "=" and "&" as \x3d and \x26.
QString PlayerScript(const QString& id, const QString& mediaAddress) {
    const QString thumb = Pct("http://video.google.com/ThumbnailServer2?app=vss&contentid=" + id);
    return "<div id=\"player\"></div>\n<script type=\"text/javascript\">\n"
           "var flashObj = new FlashObject('/googleplayer.swf?videoUrl\\x3d" +
           Pct(mediaAddress) + "\\x26thumbnailUrl\\x3d" + thumb + "\\x26docid\\x3d" + Pct(id) +
           "\\x26playerMode\\x3dsimple', 'VideoPlayback', '100%', '100%');\n</script>";
}

} // namespace

QString GoogleVideoSite::MediaAddress(const QString& id) {
    return QString("http://%1/videoplayback?docid=%2&begin=0").arg(kHost, Pct(id));
}

bool GoogleVideoSite::Handle(const httplib::Request& req, httplib::Response& res) const {
    // An address naming its real source hands over to it, whatever its path.
    if (HasParam(req, "srcurl")) {
        const QString source = Param(req, "srcurl");
        if (source.startsWith("http://") || source.startsWith("https://"))
            Redirect(res, source, 302);
        else
            SendPage(res, HtmlPage("Google Video", "<p>Bad source address.</p>"), 400);
        return true;
    }
    if (req.path == "/videoplay") {
        VideoPlay(req, res);
        return true;
    }
    if (req.path == "/videoplayback") {
        const SimVideo* video = ctx_.catalogue.Find(SimSite::Google, Param(req, "docid"));
        if (video == nullptr || video->kind != "player")
            SendPage(res, "<html><body><h1>404 Not Found</h1></body></html>", 404);
        else
            MediaResponder::Serve(req, res, ctx_, video->media, video->fault);
        return true;
    }
    if (req.path == "/") {
        QString items;
        for (const SimVideo& v : ctx_.catalogue.Videos(SimSite::Google)) {
            items += QString("<li><a href=\"/videoplay?docid=%1\">%2</a></li>\n")
                         .arg(HtmlEscape(Pct(v.id)), HtmlEscape(v.title));
        }
        SendPage(res, HtmlPage("Google Videos", "<ul>\n" + items + "</ul>"));
        return true;
    }
    return false;
}

void GoogleVideoSite::VideoPlay(const httplib::Request& req, httplib::Response& res) const {
    const QString id = Param(req, "docid");
    const SimVideo* video = ctx_.catalogue.Find(SimSite::Google, id);
    if (video == nullptr) {
        SendPage(res, HtmlPage("Google Videos", "<p>We're sorry, but this video may not be available.</p>"));
        return;
    }
    QString body = QString("<h1 id=\"video-title\">%1</h1>\n").arg(HtmlEscape(video->title));
    if (video->kind == "player") {
        body += PlayerScript(id, MediaAddress(id));
    } else if (video->kind == "endonly") {
        // The player takes its address from elsewhere: only the tail of the
        // parameter list is in the page.
        body += "<script type=\"text/javascript\">\nvar flashObj = new "
                "FlashObject('/googleplayer.swf?docid\\x3d" +
                Pct(id) + "\\x26thumbnailUrl\\x3d" + Pct("http://video.google.com/thumb?id=" + id) +
                "', 'VideoPlayback');\n</script>";
    } else if (video->kind == "frame") {
        // The assignment stands alone on its line: a client may take
        // everything up to the line's last double quote.
        body += "<iframe class=\"frame-iframe\" id=\"external_page\" src=\"about:blank\"></iframe>\n"
                "<script type=\"text/javascript\">\n"
                "document.getElementById('external_page').src = \"" +
                video->target + "\";\n</script>";
    }
    SendPage(res, HtmlPage(video->title, body));
}
