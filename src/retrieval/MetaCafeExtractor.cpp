#include "retrieval/MetaCafeExtractor.h"

#include "retrieval/TextUtil.h"

#include <QRegularExpression>

namespace {
// The page names the media server by a host that now answers under another.
const QString kOldMediaHost = QStringLiteral("akvideos.metacafe.com");
const QString kNewMediaHost = QStringLiteral("v.mccont.com");
} // namespace

MetaCafeExtractor::MetaCafeExtractor() : SiteExtractor(METACAFE, QStringLiteral("MetaCafe")) {}

QString MetaCafeExtractor::GetVideoId() {
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:http://)?(?:www\.)?metacafe\.com/watch/([^/]+)/([^/]+/)?.*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(pageUrl);
    videoId = match.hasMatch() ? match.captured(1) : QStringLiteral("metacafe");
    return videoId;
}

int MetaCafeExtractor::ParsePage(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(R"(mediaURL=(http.*?\.flv)&)"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -2;
    mediaUrl = DecodeUrl(match.captured(1));
    mediaUrl.replace(kOldMediaHost, kNewMediaHost);
    ParseTitle(text);
    return 0;
}
