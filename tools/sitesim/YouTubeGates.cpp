#include "sitesim/YouTubeGates.h"

#include "sitesim/SimHttp.h"
#include "sitesim/YouTubeSite.h"

using namespace SimHttp;

namespace {

// Only a path on the web host may follow a gate: anything else would make
// the simulator an open redirector.
QString SafeNext(const QString& next) {
    if (!next.startsWith('/') || next.startsWith("//"))
        return "/";
    return next;
}

QString WebAddress(const QString& path) {
    return QString("http://%1%2").arg(YouTubeSite::kWebHost, path);
}

// Built by concatenation: the percent escapes would read as arg() markers.
QString SignInPageAddress() {
    return QString("https://") + YouTubeGates::kAccountsHost +
           "/accounts/ServiceLogin?uilel=3&service=youtube&passive=true&continue=http%3A%2F%2F" +
           YouTubeSite::kWebHost +
           "%2Fsignin%3Faction_handle_signin%3Dtrue%26nomobiletemp%3D1%26hl%3Den_US%26";
}

QString SignInForm(const QString& continueTo, const QString& message) {
    return QString(
               "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Google Accounts</title></head>\n"
               "<body><p class=\"errormsg\">%1</p>\n"
               "<form id=\"gaia_loginform\" method=\"post\" action=\"/accounts/ServiceLogin\">\n"
               "<input type=\"hidden\" name=\"continue\" value=\"%2\">\n"
               "<input type=\"text\" name=\"Email\" id=\"Email\">\n"
               "<input type=\"password\" name=\"Passwd\" id=\"Passwd\">\n"
               "<input type=\"submit\" name=\"signIn\" value=\"Sign in\">\n</form></body></html>\n")
        .arg(HtmlEscape(message), HtmlEscape(continueTo));
}

} // namespace

bool YouTubeGates::HandleWebHost(const httplib::Request& req, httplib::Response& res) const {
    if (req.path == "/das_captcha")
        Captcha(req, res);
    else if (req.path == "/verify_age")
        VerifyAge(req, res);
    else if (req.path == "/signin")
        SignIn(req, res);
    else
        return false;
    return true;
}

bool YouTubeGates::HandleAccounts(const httplib::Request& req, httplib::Response& res) const {
    if (req.path == "/accounts/ServiceLogin")
        ServiceLogin(req, res);
    else if (req.path == "/accounts/ClientLogin" && req.method == "POST")
        ClientLogin(req, res);
    else
        return false;
    return true;
}

bool YouTubeGates::RightAccount(const QString& user, const QString& password) const {
    return !ctx_.youTubeAccount.user.isEmpty() && user == ctx_.youTubeAccount.user &&
           password == ctx_.youTubeAccount.password;
}

void YouTubeGates::Captcha(const httplib::Request& req, httplib::Response& res) const {
    const auto form = ParseForm(req.body);
    const QString next = SafeNext(req.method == "POST" ? form.value("next") : Param(req, "next"));
    QString message;
    if (req.method == "POST") {
        if (form.value("response").trimmed().compare(kCaptchaWord, Qt::CaseInsensitive) == 0) {
            AddCookie(res, QString("captcha_ok=%1; path=/; domain=.youtube.com").arg(ctx_.sessionToken));
            Redirect(res, WebAddress(next), 302);
            return;
        }
        message = "The characters you entered did not match the word verification. Please try again.";
    }
    SendPage(
        res,
        QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>YouTube - Verify</title>"
                "</head>\n<body><p class=\"error\">%1</p>\n"
                "<form method=\"post\" action=\"/das_captcha\">\n"
                "<input type=\"hidden\" name=\"next\" value=\"%2\">\n"
                "<p>Type the word shown: <b id=\"captcha-word\">%3</b></p>\n"
                "<input type=\"text\" name=\"response\">\n"
                "<input type=\"submit\" name=\"action_verify\" value=\"Submit\">\n</form></body></html>\n")
            .arg(HtmlEscape(message), HtmlEscape(next), kCaptchaWord));
}

void YouTubeGates::VerifyAge(const httplib::Request& req, httplib::Response& res) const {
    const auto form = ParseForm(req.body);
    QString next = Param(req, "next_url");
    if (form.contains("next_url"))
        next = form.value("next_url");
    next = SafeNext(next);
    if (req.method == "POST" && form.contains("action_confirm")) {
        AddCookie(res, QString("is_adult=%1; path=/; domain=.youtube.com").arg(ctx_.sessionToken));
        Redirect(res, WebAddress(next), 302);
        return;
    }
    SendPage(res,
             QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                     "<title>YouTube - Content Warning</title></head>\n<body>\n"
                     "<p>This video or group may contain content that is inappropriate for some users.</p>\n"
                     "<p><a id=\"signin\" href=\"%1\">Sign in</a> to confirm your age.</p>\n"
                     "<form method=\"post\" action=\"/verify_age?next_url=%2\">\n"
                     "<input type=\"hidden\" name=\"next_url\" value=\"%3\">\n"
                     "<input type=\"submit\" name=\"action_confirm\" value=\"Confirm\">\n"
                     "</form></body></html>\n")
                 .arg(HtmlEscape(SignInPageAddress()), HtmlEscape(Pct(next, "/")), HtmlEscape(next)));
}

void YouTubeGates::SignIn(const httplib::Request& req, httplib::Response& res) const {
    if (Param(req, "auth") != ctx_.sessionToken) {
        Redirect(res, SignInPageAddress(), 302);
        return;
    }
    AddCookie(res, QString("LOGIN_INFO=%1; path=/; domain=.youtube.com").arg(ctx_.sessionToken));
    Redirect(res, WebAddress("/"), 302);
}

void YouTubeGates::ServiceLogin(const httplib::Request& req, httplib::Response& res) const {
    const auto form = ParseForm(req.body);
    QString continueTo = req.method == "POST" ? form.value("continue") : Param(req, "continue");
    // Sign-in hands over to the web host only.
    if (!continueTo.startsWith(WebAddress("/")))
        continueTo = WebAddress("/signin?action_handle_signin=true&");
    if (req.method != "POST") {
        SendPage(res, SignInForm(continueTo, QString()));
        return;
    }
    if (!RightAccount(form.value("Email"), form.value("Passwd"))) {
        SendPage(res, SignInForm(continueTo, "The username or password you entered is incorrect."));
        return;
    }
    const QChar last = continueTo.isEmpty() ? QChar() : continueTo.back();
    const QString joiner = (last == '&' || last == '?') ? "" : (continueTo.contains('?') ? "&" : "?");
    AddCookie(res, QString("SID=%1; path=/; domain=.google.com").arg(ctx_.sessionToken));
    Redirect(res, continueTo + joiner + "auth=" + ctx_.sessionToken, 302);
}

void YouTubeGates::ClientLogin(const httplib::Request& req, httplib::Response& res) const {
    const auto form = ParseForm(req.body);
    if (!RightAccount(form.value("Email"), form.value("Passwd"))) {
        res.status = 403;
        res.set_content("Error=BadAuthentication\n", "text/plain");
        return;
    }
    AddCookie(res, QString("SID=%1; path=/; domain=.google.com").arg(ctx_.sessionToken));
    Redirect(res, WebAddress("/signin?action_handle_signin=true&auth=" + ctx_.sessionToken), 302);
}
