#include "sitesim/SimHttp.h"

#include <QStringList>
#include <QUrl>

namespace SimHttp {

QString HostOf(const httplib::Request& req) {
    QString host = QString::fromStdString(req.get_header_value("Host")).trimmed().toLower();
    // A bracketed IPv6 literal keeps its colons; only a trailing port goes.
    const int colon = host.lastIndexOf(':');
    if (colon > 0 && colon > host.lastIndexOf(']'))
        host.truncate(colon);
    return host;
}

QString SchemeOf(const httplib::Request& req) {
    return req.ssl != nullptr ? "https" : "http";
}

QString Param(const httplib::Request& req, const char* name) {
    return QString::fromStdString(req.get_param_value(name));
}

bool HasParam(const httplib::Request& req, const char* name) {
    return req.has_param(name);
}

QMap<QString, QString> ParseForm(const std::string& body) {
    QMap<QString, QString> form;
    const QByteArray bytes = QByteArray::fromStdString(body);
    for (QByteArray pair : bytes.split('&')) {
        if (pair.isEmpty())
            continue;
        pair.replace('+', ' ');
        const int eq = pair.indexOf('=');
        const QByteArray key = eq < 0 ? pair : pair.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        const QString name = QString::fromUtf8(QByteArray::fromPercentEncoding(key));
        if (!form.contains(name))
            form.insert(name, QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return form;
}

QString Cookie(const httplib::Request& req, const QString& name) {
    const size_t count = req.get_header_value_count("Cookie");
    for (size_t i = 0; i < count; ++i) {
        const QString header = QString::fromStdString(req.get_header_value("Cookie", i));
        for (const QString& part : header.split(';')) {
            const QString item = part.trimmed();
            const int eq = item.indexOf('=');
            if (eq > 0 && item.left(eq) == name)
                return item.mid(eq + 1);
        }
    }
    return QString();
}

QString HtmlEscape(const QString& text) {
    return text.toHtmlEscaped().replace('\'', "&#39;");
}

QString Pct(const QString& text, const QByteArray& keep) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text, keep));
}

QString HtmlPage(const QString& title, const QString& body) {
    return QString("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                   "<body>\n%2\n</body></html>\n")
        .arg(HtmlEscape(title), body);
}

void SendPage(httplib::Response& res, const QString& html, int status) {
    res.status = status;
    res.set_content(html.toStdString(), "text/html; charset=utf-8");
}

void SendText(httplib::Response& res, const QByteArray& body, const char* mime) {
    res.status = 200;
    res.set_content(body.toStdString(), mime);
}

void Redirect(httplib::Response& res, const QString& location, int status) {
    res.status = status;
    res.set_header("Location", location.toStdString());
    res.set_content(QString("<html><body>Moved <a href=\"%1\">here</a>.</body></html>")
                        .arg(HtmlEscape(location))
                        .toStdString(),
                    "text/html; charset=utf-8");
}

void AddCookie(httplib::Response& res, const QString& cookie) {
    res.headers.emplace("Set-Cookie", cookie.toStdString());
}

} // namespace SimHttp
