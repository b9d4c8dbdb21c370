// Address handling: splitting an address, choosing its site and extractor,
// the video id each site reads from the address, and the page parsing that
// needs no network (the YouTube stream-map choice, the Google and Metacafe
// pages). Extractors that report a title get a real worker whose
// notifications go to a queue drained after every input; no batch is ever
// started, so nothing touches the network.
//
// Input: address \x1F page text or stream map \x1F one byte (format choice).

#include "FuzzInput.h"
#include "base/AppSettings.h"
#include "platform/MessageTarget.h"
#include "platform/ParseUrl.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/ExtractorFactory.h"
#include "retrieval/YouTubeExtractor.h"

namespace {
struct Owner {
    QueueMessageTarget window;
    DownloadWorker worker{&window};
};

Owner& TheOwner() {
    static Owner* owner = new Owner; // lives for the whole run
    return *owner;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QString address = in.NextText();
    const QString page = in.NextText();
    const int format = in.NextSmall() - 128;

    if (const std::optional<UrlParts> parts = ParseUrl(address)) {
        FUZZ_CHECK(!parts->scheme.isEmpty());
        FUZZ_CHECK(!parts->server.isEmpty());
        FUZZ_CHECK(parts->object.startsWith(QLatin1Char('/')));
        FUZZ_CHECK(parts->scheme == parts->scheme.toLower());
    }

    const std::span<const YouTubeExtractor::FormatEntry> preferred = YouTubeExtractor::PreferenceList(format);
    FUZZ_CHECK(!preferred.empty());

    const VideoSite site = DetectSite(address);
    // Without a worker: the factory and the id parsers alone.
    std::unique_ptr<SiteExtractor> bare = CreateExtractor(address, nullptr);
    FUZZ_CHECK((bare == nullptr) == (site == NO_SITE));
    if (!bare)
        return 0;
    FUZZ_CHECK(bare->site == site);
    FUZZ_CHECK(bare->owner == nullptr);
    const QString id = bare->GetVideoId();
    FUZZ_CHECK(id == bare->videoId);

    Owner& owner = TheOwner();
    std::unique_ptr<SiteExtractor> extractor = CreateExtractor(address, &owner.worker);
    FUZZ_CHECK(extractor && extractor->site == site);
    extractor->GetVideoId();
    switch (site) {
    case YOUTUBE: {
        auto* youtube = static_cast<YouTubeExtractor*>(extractor.get());
        youtube->streamMap = page;
        Settings().YoutubeFMT = format;
        Settings().Publish();
        const int r = youtube->ParsePage(QString());
        FUZZ_CHECK(r == (page.isEmpty() ? -1 : 0));
        FUZZ_CHECK(!youtube->mediaUrl.contains(QChar(0)));
        break;
    }
    case GOOGLE:
    case METACAFE: {
        const int r = extractor->ParsePage(page);
        FUZZ_CHECK(r == 0 || r == -2 || r == DownloadStatus::FollowAnotherAddress);
        if (r == DownloadStatus::FollowAnotherAddress)
            (void)DetectSite(extractor->pageUrl);
        break;
    }
    default:
        // NicoVideo asks the site's interface for the media address.
        break;
    }
    owner.window.TakeAll();
    return 0;
}
