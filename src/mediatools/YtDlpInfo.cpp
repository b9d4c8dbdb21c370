#include "mediatools/YtDlpInfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

std::optional<YtDlpInfo> ParseYtDlpInfo(const QByteArray& json, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        if (error)
            *error = parseError.error != QJsonParseError::NoError
                         ? QStringLiteral("yt-dlp's answer is not JSON (%1)").arg(parseError.errorString())
                         : QStringLiteral("yt-dlp's answer is not a JSON object");
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    YtDlpInfo info;
    info.id = o.value(QLatin1String("id")).toString();
    info.title = o.value(QLatin1String("title")).toString();
    info.site = o.value(QLatin1String("extractor_key")).toString();
    info.duration = o.value(QLatin1String("duration")).toDouble();
    info.ext = o.value(QLatin1String("ext")).toString();
    info.webpageUrl = o.value(QLatin1String("webpage_url")).toString();
    info.isPlaylist = o.value(QLatin1String("_type")).toString() == QLatin1String("playlist");
    if (info.isPlaylist) {
        const QJsonArray entries = o.value(QLatin1String("entries")).toArray();
        int position = 0;
        for (const QJsonValue& value : entries) {
            ++position;
            const QJsonObject e = value.toObject();
            YtDlpEntry entry;
            entry.index = e.value(QLatin1String("playlist_index")).toInt(position);
            entry.id = e.value(QLatin1String("id")).toString();
            entry.title = e.value(QLatin1String("title")).toString();
            // Only a reference entry names a page of its own; a resolved one's
            // "url" is its media stream, which is not downloaded directly.
            const QString type = e.value(QLatin1String("_type")).toString();
            if (type == QLatin1String("url") || type == QLatin1String("url_transparent"))
                entry.url = e.value(QLatin1String("url")).toString();
            info.entries.push_back(entry);
        }
    }
    return info;
}
