#include "platform/ParseUrl.h"

#include <QUrl>

std::optional<UrlParts> ParseUrl(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
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
