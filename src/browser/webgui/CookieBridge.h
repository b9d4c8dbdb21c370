#pragma once
// Keeps the browser's cookie store and the program's own cookie jar in step:
// the jar's cookies go into the browser before it opens a page, and every
// cookie the browser receives (a solved CAPTCHA, a sign-in) goes back into the
// jar, so the downloader's next request carries it.
//
// The jar speaks Netscape cookie-file lines (domain, subdomains flag, path,
// secure, expiry, name, value; tab separated; "#HttpOnly_" before the domain
// of an HTTP-only cookie). Cookie values are never logged.
//
// Threads: the window's thread only.

#include <QNetworkCookie>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QWebEngineCookieStore;

struct BrowserCookie {
    QNetworkCookie cookie;
    QUrl origin; // where a host-only cookie belongs (its domain is left empty)
};

// A jar line as a browser cookie; nullopt for comments, blank or malformed lines.
std::optional<BrowserCookie> CookieFromJarLine(const QString& line);
// A browser cookie as a jar line; an empty string for a cookie the jar could
// not hold (no domain, or a tab or line break in a field). `expired` writes an
// expiry in the past, which makes the jar forget the cookie.
QString JarLineFromCookie(const QNetworkCookie& cookie, bool expired = false);

class CookieBridge : public QObject {
  public:
    using ExportFunction = QStringList (*)();
    using ImportFunction = void (*)(const QString&);
    CookieBridge(QWebEngineCookieStore* store, ExportFunction exportCookies, ImportFunction importCookie,
                 QObject* parent = nullptr);
    // Copies the jar's cookies of the given sites (a site's domain covers its
    // subdomains) into the browser; the other sites' cookies stay out of it.
    void CopyJarToBrowser(const QStringList& sites);

  private:
    QWebEngineCookieStore* store_;
    ExportFunction export_;
    ImportFunction import_;
};
