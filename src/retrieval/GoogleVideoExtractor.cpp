#include "retrieval/GoogleVideoExtractor.h"

#include "retrieval/DownloadMessages.h"
#include "retrieval/TextUtil.h"

#include <QRegularExpression>

namespace {
// The player's parameters stand in a script string where "=" and "&" are
// written as the escapes \x3d and \x26; the markers hold them literally.
const QString kStartMarker = QStringLiteral(R"(/googleplayer.swf?videoUrl\x3d)");
const QString kEndMarker = QStringLiteral(R"(\x26thumbnailUrl)");
const QString kFrameMarker = QStringLiteral(R"(<iframe class="frame-iframe" id="external_page")");
} // namespace

GoogleVideoExtractor::GoogleVideoExtractor() : SiteExtractor(GOOGLE, QStringLiteral("Google")) {}

QString GoogleVideoExtractor::GetVideoId() {
    videoId = GetQueryValue(pageUrl, QStringLiteral("?docid=")).value_or(QString());
    return videoId;
}

int GoogleVideoExtractor::ParsePage(const QString& text) {
    const qsizetype start = text.indexOf(kStartMarker);
    const qsizetype end = text.indexOf(kEndMarker);
    if (start >= 0) {
        const qsizetype from = start + kStartMarker.size();
        if (end >= 0 && from < end)
            mediaUrl = DecodeUrl(text.mid(from, end - from));
    }
    if (!mediaUrl.isEmpty()) {
        ParseTitle(text);
        return 0;
    }

    // A page that frames a video of another site: the frame's address is
    // set by a script line; "(.*)" runs to the last double quote of that line.
    if (text.indexOf(kFrameMarker) > 0) {
        static const QRegularExpression framePattern(
            QStringLiteral(R"re(document\.getElementById\('external_page'\)\.src = "(.*)")re"));
        const QRegularExpressionMatch match = framePattern.match(text);
        if (match.hasMatch()) {
            pageUrl = match.captured(1);
            return DownloadStatus::FollowAnotherAddress;
        }
    }
    return -2;
}
