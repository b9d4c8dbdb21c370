#include "sitesim/GenericVideoSite.h"

#include "sitesim/MediaResponder.h"
#include "sitesim/SimHttp.h"

#include <QRegularExpression>
#include <QUuid>

using namespace SimHttp;

namespace {

// "http://127.0.0.1:PORT" as the client addressed this host.
QString Origin(const httplib::Request& req) {
    return SchemeOf(req) + "://" + QString::fromStdString(req.get_header_value("Host"));
}

QString VideoElement(const QString& src, const QString& mime) {
    return QString("<video controls preload=\"metadata\" width=\"320\" height=\"240\">\n"
                   "  <source src=\"%1\" type=\"%2\">\n</video>\n")
        .arg(HtmlEscape(src), HtmlEscape(mime));
}

QString Page(const QString& title, const QString& head, const QString& body) {
    return QString("<!DOCTYPE html>\n<html lang=\"en\"><head>\n<meta charset=\"utf-8\">\n"
                   "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                   "<title>%1</title>\n%2</head>\n<body>\n%3</body></html>\n")
        .arg(HtmlEscape(title), head, body);
}

} // namespace

QString GenericVideoSite::MediaPath(const SimVideo& video) {
    return "/media/" + Pct(video.id) + "." + MediaLibrary::Extension(video.media);
}

QString GenericVideoSite::MemberCookie() const {
    return QString(kMemberCookie) + "=" + ctx_.sessionToken;
}

bool GenericVideoSite::IsMember(const httplib::Request& req) const {
    return Cookie(req, kMemberCookie) == ctx_.sessionToken;
}

bool GenericVideoSite::Handle(const httplib::Request& req, httplib::Response& res) const {
    static const QRegularExpression videoPath("^/(watch|members|slow)/([^/]+)$");
    static const QRegularExpression mediaPath("^/media/([^/]+)$");
    const QString path = QString::fromStdString(req.path);
    if (path == "/") {
        Index(req, res);
        return true;
    }
    if (path == "/three") {
        Three(req, res);
        return true;
    }
    if (path == "/signin") {
        SignIn(req, res);
        return true;
    }
    const QRegularExpressionMatch media = mediaPath.match(path);
    if (media.hasMatch()) {
        Media(req, res, media.captured(1));
        return true;
    }
    const QRegularExpressionMatch m = videoPath.match(path);
    if (!m.hasMatch())
        return false;
    const SimVideo* video = ctx_.catalogue.Find(SimSite::Generic, m.captured(2));
    if (video == nullptr)
        return false;
    const QString kind = m.captured(1);
    if (kind == "members" || video->needsLogin) {
        if (!IsMember(req)) {
            Forbidden(res);
            return true;
        }
        if (kind == "watch") {
            Redirect(res, Origin(req) + "/members/" + Pct(video->id), 302);
            return true;
        }
    }
    Watch(req, res, *video, kind == "slow" ? QStringLiteral("slow") : QString());
    return true;
}

void GenericVideoSite::Index(const httplib::Request&, httplib::Response& res) const {
    QString items;
    for (const SimVideo& v : ctx_.catalogue.Videos(SimSite::Generic)) {
        items += QString("<li><a href=\"/%1/%2\">%3</a></li>\n")
                     .arg(v.needsLogin ? "members" : "watch", HtmlEscape(Pct(v.id)), HtmlEscape(v.title));
    }
    items += "<li><a href=\"/three\">Three clips</a></li>\n";
    SendPage(res,
             Page("Zorv video host", QString(),
                  "<h1>Videos</h1>\n<ul>\n" + items + "</ul>\n<p><a href=\"/signin\">Sign in</a></p>\n"));
}

void GenericVideoSite::Watch(const httplib::Request& req, httplib::Response& res, const SimVideo& video,
                             const QString& fault) const {
    QString src = MediaPath(video);
    if (!fault.isEmpty())
        src += "?fault=" + Pct(fault);
    const QString mime = MediaLibrary::MimeType(video.media);
    const QString title = HtmlEscape(video.title);
    const QString head = QString("<meta property=\"og:type\" content=\"video.other\">\n"
                                 "<meta property=\"og:title\" content=\"%1\">\n"
                                 "<meta property=\"og:url\" content=\"%2\">\n"
                                 "<meta property=\"og:video\" content=\"%3\">\n"
                                 "<meta property=\"og:video:type\" content=\"%4\">\n"
                                 "<meta property=\"og:video:width\" content=\"320\">\n"
                                 "<meta property=\"og:video:height\" content=\"240\">\n")
                             .arg(title, HtmlEscape(Origin(req) + QString::fromStdString(req.path)),
                                  HtmlEscape(Origin(req) + src), HtmlEscape(mime));
    SendPage(res, Page(video.title, head, "<h1>" + title + "</h1>\n" + VideoElement(src, mime)));
}

void GenericVideoSite::Three(const httplib::Request&, httplib::Response& res) const {
    QString body = "<h1>Three clips</h1>\n";
    for (const SimVideo& v : ctx_.catalogue.Videos(SimSite::Generic)) {
        if (v.three)
            body += "<h2>" + HtmlEscape(v.title) + "</h2>\n" +
                    VideoElement(MediaPath(v), MediaLibrary::MimeType(v.media));
    }
    SendPage(res, Page("Three clips", "<meta property=\"og:title\" content=\"Three clips\">\n", body));
}

void GenericVideoSite::Forbidden(httplib::Response& res) const {
    AddCookie(res, QString(kVisitorCookie) + "=" + QUuid::createUuid().toString(QUuid::Id128).left(16) +
                       "; Path=/; HttpOnly");
    SendPage(
        res,
        Page("Members only", QString(),
             "<h1>403 Forbidden</h1>\n<p>This video is for members. <a href=\"/signin\">Sign in</a>.</p>\n"),
        403);
}

void GenericVideoSite::SignIn(const httplib::Request& req, httplib::Response& res) const {
    QString error;
    if (req.method == "POST") {
        const QMap<QString, QString> form = ParseForm(req.body);
        const SimAccount& account = ctx_.catalogue.genericAccount;
        if (!account.user.isEmpty() && form.value("user") == account.user &&
            form.value("password") == account.password) {
            AddCookie(res, MemberCookie() + "; Path=/; HttpOnly");
            Redirect(res, Origin(req) + "/", 303);
            return;
        }
        error = "<p class=\"error\">Wrong user name or password.</p>\n";
    }
    SendPage(res, Page("Sign in", QString(),
                       "<h1>Sign in</h1>\n" + error +
                           "<form method=\"post\" action=\"/signin\">\n"
                           "<label>User <input name=\"user\" autocomplete=\"username\"></label>\n"
                           "<label>Password <input type=\"password\" name=\"password\" "
                           "autocomplete=\"current-password\"></label>\n"
                           "<button type=\"submit\">Sign in</button>\n</form>\n"));
}

void GenericVideoSite::Media(const httplib::Request& req, httplib::Response& res, const QString& name) const {
    const int dot = name.lastIndexOf('.');
    const SimVideo* video = dot > 0 ? ctx_.catalogue.Find(SimSite::Generic, name.left(dot)) : nullptr;
    if (video == nullptr || name.mid(dot + 1) != MediaLibrary::Extension(video->media)) {
        SendPage(res, Page("Not found", QString(), "<h1>404 Not Found</h1>\n"), 404);
        return;
    }
    if (video->needsLogin && !IsMember(req)) {
        Forbidden(res);
        return;
    }
    MediaResponder::Serve(req, res, ctx_, video->media, video->fault);
}
