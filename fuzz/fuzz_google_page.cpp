// A Google Video watch page at a fixed address: the player's media address,
// a framed page of another site, the title, and the file named after it.
//
// Input: the page text.

#include "FuzzSite.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/GoogleVideoExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentContext context;
    GoogleVideoExtractor extractor;
    extractor.owner = &context;
    extractor.pageUrl = QStringLiteral("http://video.google.com/videoplay?docid=-8125490245016826318");
    extractor.GetVideoId();
    const int r = extractor.ParsePage(QString::fromUtf8(FuzzInput(data, size).Rest()));
    FUZZ_CHECK(r == 0 || r == -2 || r == DownloadStatus::FollowAnotherAddress);
    if (r == 0) {
        FUZZ_CHECK(!extractor.mediaUrl.isEmpty());
        CheckFileName(extractor);
    }
    return 0;
}
