// A YouTube watch page and information answer for a fixed address: the
// stream map found in the page, the title read from the answer, the stream
// chosen with the default preference, and the file named after the title.
//
// Input: watch page \x1F information answer.

#include "FuzzSite.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/YouTubeExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QString page = in.NextText();
    const QString info = QString::fromUtf8(in.Rest());

    SilentContext context;
    YouTubeExtractor extractor;
    extractor.owner = &context;
    extractor.pageUrl = QStringLiteral("http://www.youtube.com/watch?v=zvNormal001");
    FUZZ_CHECK(extractor.GetVideoId() == QLatin1String("zvNormal001"));

    const std::optional<QString> map = YouTubeExtractor::FindStreamMap(page);
    if (map) {
        FUZZ_CHECK(!map->contains(QLatin1Char('"')));
        extractor.streamMap = *map;
    }
    const int infoResult = YouTubeExtractor::ReadVideoInfo(info, extractor.title);
    FUZZ_CHECK(infoResult == 0 || infoResult == DownloadStatus::Error);
    if (infoResult != 0)
        FUZZ_CHECK(extractor.title.isEmpty());

    const int r = extractor.ParsePage(page);
    FUZZ_CHECK(r == (extractor.streamMap.isEmpty() ? -1 : 0));
    FUZZ_CHECK(!extractor.mediaUrl.contains(QChar(0)));
    CheckFileName(extractor);
    return 0;
}
