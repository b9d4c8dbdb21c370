#include "browser/webgui/CookieBridge.h"

#include <QDateTime>
#include <QStringList>
#include <QWebEngineCookieStore>

namespace {

const QLatin1String kHttpOnlyPrefix("#HttpOnly_");

bool HasSeparator(const QByteArray& field) {
    return field.contains('\t') || field.contains('\n') || field.contains('\r');
}

} // namespace

std::optional<BrowserCookie> CookieFromJarLine(const QString& line) {
    QString text = line;
    bool httpOnly = false;
    if (text.startsWith(kHttpOnlyPrefix)) {
        httpOnly = true;
        text = text.mid(kHttpOnlyPrefix.size());
    } else if (text.startsWith(QLatin1Char('#'))) {
        return std::nullopt;
    }
    const QStringList fields = text.split(QLatin1Char('\t'));
    if (fields.size() != 7)
        return std::nullopt;
    QString domain = fields[0];
    const bool subdomains = fields[1] == QLatin1String("TRUE");
    const bool secure = fields[3] == QLatin1String("TRUE");
    bool expiryOk = false;
    const qint64 expiry = fields[4].toLongLong(&expiryOk);
    if (domain.isEmpty() || fields[5].isEmpty() || !expiryOk)
        return std::nullopt;
    while (domain.startsWith(QLatin1Char('.')))
        domain.remove(0, 1);

    BrowserCookie out;
    out.cookie.setName(fields[5].toUtf8());
    out.cookie.setValue(fields[6].toUtf8());
    out.cookie.setPath(fields[2].isEmpty() ? QStringLiteral("/") : fields[2]);
    out.cookie.setSecure(secure);
    out.cookie.setHttpOnly(httpOnly);
    if (expiry > 0)
        out.cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry));
    // A domain cookie keeps its leading dot; a host-only cookie is bound to
    // its origin instead, so the browser does not widen it to subdomains.
    if (subdomains)
        out.cookie.setDomain(QLatin1Char('.') + domain);
    out.origin.setScheme(secure ? QStringLiteral("https") : QStringLiteral("http"));
    out.origin.setHost(domain);
    out.origin.setPath(QStringLiteral("/"));
    if (!out.origin.isValid())
        return std::nullopt;
    return out;
}

QString JarLineFromCookie(const QNetworkCookie& cookie, bool expired) {
    const QByteArray domain = cookie.domain().toUtf8();
    const QByteArray path = cookie.path().isEmpty() ? QByteArray("/") : cookie.path().toUtf8();
    if (domain.isEmpty() || domain == "." || cookie.name().isEmpty() || HasSeparator(domain) ||
        HasSeparator(path) || HasSeparator(cookie.name()) || HasSeparator(cookie.value()))
        return QString();
    qint64 expiry = 0;
    if (expired)
        expiry = 1;
    else if (!cookie.isSessionCookie())
        expiry = qMax<qint64>(1, cookie.expirationDate().toSecsSinceEpoch());
    QString line;
    if (cookie.isHttpOnly())
        line += kHttpOnlyPrefix;
    line += QString::fromUtf8(domain);
    line += domain.startsWith('.') ? QLatin1String("\tTRUE\t") : QLatin1String("\tFALSE\t");
    line += QString::fromUtf8(path);
    line += cookie.isSecure() ? QLatin1String("\tTRUE\t") : QLatin1String("\tFALSE\t");
    line += QString::number(expiry) + QLatin1Char('\t') + QString::fromUtf8(cookie.name()) +
            QLatin1Char('\t') + QString::fromUtf8(cookie.value());
    return line;
}

CookieBridge::CookieBridge(QWebEngineCookieStore* store, ExportFunction exportCookies,
                           ImportFunction importCookie, QObject* parent)
    : QObject(parent), store_(store), export_(exportCookies), import_(importCookie) {
    if (!import_)
        return;
    connect(store_, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie& cookie) {
        const QString line = JarLineFromCookie(cookie);
        if (!line.isEmpty())
            import_(line);
    });
    connect(store_, &QWebEngineCookieStore::cookieRemoved, this, [this](const QNetworkCookie& cookie) {
        const QString line = JarLineFromCookie(cookie, /*expired=*/true);
        if (!line.isEmpty())
            import_(line);
    });
}

void CookieBridge::CopyJarToBrowser(const QStringList& sites) {
    if (!export_)
        return;
    for (const QString& line : export_()) {
        const std::optional<BrowserCookie> c = CookieFromJarLine(line);
        if (!c)
            continue;
        const QString host = c->origin.host();
        for (const QString& site : sites) {
            if (host == site || host.endsWith(QLatin1Char('.') + site)) {
                store_->setCookie(c->cookie, c->origin);
                break;
            }
        }
    }
}
