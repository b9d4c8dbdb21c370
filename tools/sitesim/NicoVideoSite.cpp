#include "sitesim/NicoVideoSite.h"

#include "sitesim/MediaResponder.h"
#include "sitesim/SimHttp.h"

#include <QRegularExpression>

using namespace SimHttp;

namespace {

QString LoginPage(const QString& message) {
    return QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>ログイン - "
                   "niconico</title></head>\n"
                   "<body><p class=\"error\">%1</p>\n"
                   "<form method=\"post\" action=\"/secure/login?site=niconico\">\n"
                   "<input type=\"hidden\" name=\"current_form\" value=\"login\">\n"
                   "<input type=\"text\" name=\"mail\"> <input type=\"password\" name=\"password\">\n"
                   "<input type=\"submit\" name=\"login_submit\" value=\"Log In\">\n</form></body></html>\n")
        .arg(HtmlEscape(message));
}

} // namespace

QString NicoVideoSite::MediaAddress(const SimVideo& video) {
    const QString key = video.kind.isEmpty() ? "v" : video.kind;
    return QString("http://%1/smile?%2=%3").arg(kMediaHost, key, Pct(video.smile));
}

bool NicoVideoSite::SignedIn(const httplib::Request& req) const {
    return Cookie(req, "user_session") == "user_session_" + ctx_.sessionToken;
}

bool NicoVideoSite::HandleSecure(const httplib::Request& req, httplib::Response& res) const {
    if (req.path == "/secure/login" && req.method == "POST") {
        Login(req, res);
        return true;
    }
    if (req.path == "/secure/login_form" || req.path == "/secure/login") {
        SendPage(res, LoginPage(QString()));
        return true;
    }
    return false;
}

void NicoVideoSite::Login(const httplib::Request& req, httplib::Response& res) const {
    const auto form = ParseForm(req.body);
    const bool right = !ctx_.nicoAccount.user.isEmpty() && form.value("mail") == ctx_.nicoAccount.user &&
                       form.value("password") == ctx_.nicoAccount.password;
    if (!right) {
        SendPage(res, LoginPage("メールアドレスまたはパスワードが間違っています。"
                                "The e-mail address or password is incorrect."));
        return;
    }
    QString next = form.value("next_url");
    if (!next.startsWith('/') || next.startsWith("//"))
        next = "/";
    AddCookie(res,
              QString("user_session=user_session_%1; path=/; domain=.nicovideo.jp").arg(ctx_.sessionToken));
    Redirect(res, QString("http://") + kWebHost + next, 302);
}

bool NicoVideoSite::HandleWeb(const httplib::Request& req, httplib::Response& res) const {
    static const QRegularExpression watchPath("^/watch/(\\w+)$");
    const QString path = QString::fromStdString(req.path);
    if (path == "/api/getflv") {
        GetFlv(req, res);
        return true;
    }
    if (path == "/") {
        QString items;
        for (const SimVideo& v : ctx_.catalogue.Videos(SimSite::NicoVideo)) {
            items +=
                QString("<li><a href=\"/watch/%1\">%2</a></li>\n").arg(HtmlEscape(v.id), HtmlEscape(v.title));
        }
        SendPage(res, HtmlPage("niconico", "<ul>\n" + items + "</ul>"));
        return true;
    }
    const QRegularExpressionMatch m = watchPath.match(path);
    if (!m.hasMatch())
        return false;
    const SimVideo* video = ctx_.catalogue.Find(SimSite::NicoVideo, m.captured(1));
    if (video == nullptr) {
        SendPage(res,
                 "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>niconico</title></head>\n"
                 "<body><p>お探しの動画は再生できません</p></body></html>\n",
                 404);
        return true;
    }
    SendPage(res, QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                          "<body>\n<h1 itemprop=\"name\">%1</h1>\n<div id=\"flvplayer_container\"></div>\n"
                          "</body></html>\n")
                      .arg(HtmlEscape(video->title)));
    return true;
}

void NicoVideoSite::GetFlv(const httplib::Request& req, httplib::Response& res) const {
    const QString id = Param(req, "v");
    const SimVideo* video = ctx_.catalogue.Find(SimSite::NicoVideo, id);
    if (video == nullptr) {
        SendText(res, "error=invalid_v1&done=true");
        return;
    }
    if (video->needsLogin && !SignedIn(req)) {
        SendText(res, "closed=1&done=true");
        return;
    }
    const QString reply = QString("thread_id=%1&l=2&url=%2&link=%3&ms=%4&user_id=%5&is_premium=0"
                                  "&nickname=zorv&time=1300000000&done=true")
                              .arg(QString::number(1200000000 + qHash(id) % 100000),
                                   Pct(MediaAddress(*video)), Pct("http://www.smilevideo.jp/view/" + id),
                                   Pct("http://msg.nicovideo.jp/10/api/"), SignedIn(req) ? "4242" : "0");
    SendText(res, reply.toUtf8());
}

bool NicoVideoSite::HandleMedia(const httplib::Request& req, httplib::Response& res) const {
    if (req.path != "/smile")
        return false;
    for (const char* key : {"m", "s", "v"}) {
        if (!HasParam(req, key))
            continue;
        const SimVideo* video = ctx_.catalogue.FindBySmile(Param(req, key));
        if (video != nullptr) {
            MediaResponder::Serve(req, res, ctx_, video->media, video->fault);
            return true;
        }
    }
    SendPage(res, "<html><body><h1>403 Forbidden</h1></body></html>", 403);
    return true;
}
