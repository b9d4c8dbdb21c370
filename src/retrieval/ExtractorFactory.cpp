#include "retrieval/ExtractorFactory.h"

#include "platform/ParseUrl.h"
#include "retrieval/MetaCafeExtractor.h"
#include "retrieval/TextUtil.h"
#include "retrieval/YouTubeExtractor.h"

namespace {
// Addresses nest through "srcurl=" only so deep; anything deeper is not a
// real link and must not recurse without bound.
constexpr int kMaxNesting = 8;
} // namespace

VideoSite DetectSite(const QString& address) {
    QString current = address;
    for (int depth = 0; depth <= kMaxNesting; ++depth) {
        const std::optional<UrlParts> parts = ParseUrl(DecodeUrl(current));
        if (!parts)
            return NO_SITE;
        const QString server = parts->server.toLower();
        if (server.contains(QLatin1String("youtube")))
            return YOUTUBE;
        if (server.contains(QLatin1String("google"))) {
            const std::optional<QString> source = GetQueryValue(current, QStringLiteral("srcurl="));
            if (!source)
                return GOOGLE;
            current = *source;
            continue;
        }
        if (server.contains(QLatin1String("metacafe")))
            return METACAFE;
        if (server.contains(QLatin1String("nicovideo")))
            return NICOVIDEO;
        return NO_SITE;
    }
    return NO_SITE;
}

std::unique_ptr<SiteExtractor> CreateExtractor(const QString& address, DownloadWorker* worker) {
    std::unique_ptr<SiteExtractor> extractor;
    switch (DetectSite(address)) {
    case YOUTUBE:
        extractor = std::make_unique<YouTubeExtractor>();
        break;
    case METACAFE:
        extractor = std::make_unique<MetaCafeExtractor>();
        break;
    // The Google Video and NicoVideo extractors plug in here.
    case GOOGLE:
    case NICOVIDEO:
    default:
        return nullptr;
    }
    extractor->pageUrl = address;
    extractor->owner = worker;
    return extractor;
}
