#pragma once
// Small request and reply helpers shared by the simulated sites. All of them
// are pure functions of their arguments, safe on any server thread.

#include <httplib.h>

#include <QByteArray>
#include <QMap>
#include <QString>

namespace SimHttp {

// The Host header in lower case without a port: the name the client used.
QString HostOf(const httplib::Request& req);
// "https" for a request that came over TLS, else "http".
QString SchemeOf(const httplib::Request& req);
// A decoded query parameter; empty when missing.
QString Param(const httplib::Request& req, const char* name);
bool HasParam(const httplib::Request& req, const char* name);
// An application/x-www-form-urlencoded body: "+" is a space, %XX a UTF-8 byte.
// Parsed whatever the Content-Type says, because some clients send none.
QMap<QString, QString> ParseForm(const std::string& body);
// The value of one cookie the request carries; empty when missing.
QString Cookie(const httplib::Request& req, const QString& name);

QString HtmlEscape(const QString& text);
// Percent-encodes everything but unreserved characters and `keep`.
QString Pct(const QString& text, const QByteArray& keep = QByteArray());

// A small HTML page: `title` (escaped here) and `body` (already HTML).
QString HtmlPage(const QString& title, const QString& body);
void SendPage(httplib::Response& res, const QString& html, int status = 200);
void SendText(httplib::Response& res, const QByteArray& body, const char* mime = "text/plain; charset=utf-8");
void Redirect(httplib::Response& res, const QString& location, int status = 302);
void AddCookie(httplib::Response& res, const QString& cookie);

} // namespace SimHttp
