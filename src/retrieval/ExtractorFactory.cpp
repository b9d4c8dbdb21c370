#include "retrieval/ExtractorFactory.h"

#include "platform/ParseUrl.h"
#include "retrieval/GoogleVideoExtractor.h"
#include "retrieval/MetaCafeExtractor.h"
#include "retrieval/NicoVideoExtractor.h"
#include "retrieval/TextUtil.h"
#include "retrieval/YouTubeExtractor.h"

namespace {
// Addresses nest through "srcurl=" only so deep; anything deeper is not a
// real link and must not recurse without bound.
constexpr int kMaxNesting = 8;

// The site of an address and the address that named it: the address
// itself, or for a "google" address carrying "srcurl=" the (innermost)
// value of that key as it stands in the address.
struct Detected {
    VideoSite site = NO_SITE;
    QString address;
    bool fromSource = false;
};

// A "srcurl=" value as the page address for its site's extractor: taken as
// it stands when it is a full address, else percent-decoded once (sources
// are usually sent encoded).
QString SourceAddress(const QString& value) {
    return ParseUrl(value) ? value : DecodeUrl(value);
}

Detected Detect(const QString& address) {
    QString current = address;
    bool fromSource = false;
    for (int depth = 0; depth <= kMaxNesting; ++depth) {
        const std::optional<UrlParts> parts = ParseUrl(DecodeUrl(current));
        if (!parts)
            return {};
        const QString server = parts->server.toLower();
        // Short links ("youtu.be/ID") belong to the same site.
        if (server.contains(QLatin1String("youtube")) || server == QLatin1String("youtu.be") ||
            server.endsWith(QLatin1String(".youtu.be")))
            return {YOUTUBE, current, fromSource};
        if (server.contains(QLatin1String("google"))) {
            const std::optional<QString> source = GetQueryValue(current, QStringLiteral("srcurl="));
            if (!source)
                return {GOOGLE, current, fromSource};
            current = *source;
            fromSource = true;
            continue;
        }
        if (server.contains(QLatin1String("metacafe")))
            return {METACAFE, current, fromSource};
        if (server.contains(QLatin1String("nicovideo")))
            return {NICOVIDEO, current, fromSource};
        return {};
    }
    return {};
}
} // namespace

VideoSite DetectSite(const QString& address) {
    return Detect(address).site;
}

std::unique_ptr<SiteExtractor> CreateExtractor(const QString& address, TransferContext* worker) {
    const Detected detected = Detect(address);
    std::unique_ptr<SiteExtractor> extractor;
    switch (detected.site) {
    case YOUTUBE:
        extractor = std::make_unique<YouTubeExtractor>();
        break;
    case GOOGLE:
        extractor = std::make_unique<GoogleVideoExtractor>();
        break;
    case METACAFE:
        extractor = std::make_unique<MetaCafeExtractor>();
        break;
    case NICOVIDEO:
        extractor = std::make_unique<NicoVideoExtractor>();
        break;
    default:
        return nullptr;
    }
    // The page the site itself serves: for a Google address naming its
    // source, the source address (the whole Google address would give the
    // site's extractor a wrong video id).
    extractor->pageUrl = detected.fromSource ? SourceAddress(detected.address) : address;
    extractor->owner = worker;
    return extractor;
}
