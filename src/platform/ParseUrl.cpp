#include "platform/ParseUrl.h"

#include <QUrl>

std::optional<UrlParts> ParseUrl(const QString& text) {
    // Decoded addresses may hold spaces (titles in paths); they split like
    // any other character and go on the wire encoded.
    QString clean = text.trimmed();
    clean.replace(QLatin1Char(' '), QLatin1String("%20"));
    const QUrl url(clean, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return std::nullopt;
    UrlParts parts;
    parts.scheme = url.scheme().toLower();
    parts.server = url.host(QUrl::FullyEncoded);
    int defaultPort = parts.scheme == QLatin1String("https") ? 443 : 80;
    parts.port = url.port(defaultPort);
    parts.object = url.path(QUrl::FullyEncoded);
    if (parts.object.isEmpty())
        parts.object = QStringLiteral("/");
    if (url.hasQuery())
        parts.object += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    return parts;
}
