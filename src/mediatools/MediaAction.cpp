#include "mediatools/MediaAction.h"

#include <QRegularExpression>

namespace {
// Milliseconds of "75", "12.5", "1:15" or "0:07.5"; nullopt otherwise.
std::optional<int> ParseTime(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:(\d{1,5}):(?=\d\d(?:\.|$)))?(\d{1,6})(?:\.(\d{1,3}))?$)"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int minutes = m.captured(1).isEmpty() ? 0 : m.captured(1).toInt();
    const int seconds = m.captured(2).toInt();
    if (!m.captured(1).isEmpty() && seconds >= 60)
        return std::nullopt;
    const int fraction = m.captured(3).leftJustified(3, QLatin1Char('0')).toInt();
    return (minutes * 60 + seconds) * 1000 + fraction;
}

QString MinutesSeconds(int ms) {
    const int seconds = ms / 1000;
    return QStringLiteral("%1.%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

std::optional<MediaRange> ParseMediaRange(const QString& text) {
    const QStringList sides = text.split(QLatin1Char('-'));
    if (sides.size() != 2)
        return std::nullopt;
    const std::optional<int> start = ParseTime(sides[0]);
    const std::optional<int> end = ParseTime(sides[1]);
    if (!start || !end || *end <= *start)
        return std::nullopt;
    return MediaRange{*start, *end};
}

std::optional<MediaFormat> ParseMediaFormat(const QString& text) {
    const QString name = text.trimmed().toLower();
    if (name == QLatin1String("mp3"))
        return MediaFormat::Mp3;
    if (name == QLatin1String("m4a"))
        return MediaFormat::M4a;
    if (name == QLatin1String("mp4"))
        return MediaFormat::Mp4;
    return std::nullopt;
}

MediaFormat MediaFormatOfSetting(int value) {
    static constexpr MediaFormat kFormats[] = {MediaFormat::Original, MediaFormat::Mp3, MediaFormat::M4a,
                                               MediaFormat::Mp4};
    return value >= 0 && value < 4 ? kFormats[value] : MediaFormat::Original;
}

QString MediaRangeLabel(const MediaRange& range) {
    return MinutesSeconds(range.startMs) + QChar(0x2013) + MinutesSeconds(range.endMs);
}

QString MediaActionBaseName(const MediaAction& action, const QString& originalBaseName) {
    if (!action.range)
        return originalBaseName;
    return originalBaseName + QStringLiteral(" (") + MediaRangeLabel(*action.range) + QLatin1Char(')');
}

QString MediaActionExtension(const MediaAction& action, const QString& originalExtension) {
    switch (action.format) {
    case MediaFormat::Original:
        return originalExtension;
    case MediaFormat::Mp3:
        return QStringLiteral("mp3");
    case MediaFormat::M4a:
        return QStringLiteral("m4a");
    case MediaFormat::Mp4:
        return QStringLiteral("mp4");
    }
    return originalExtension;
}
