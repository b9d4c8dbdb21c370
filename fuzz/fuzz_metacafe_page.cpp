// A Metacafe watch page at a fixed address: the media address (moved to
// the media host's current name), the title, and the file named after it.
//
// Input: the page text.

#include "FuzzSite.h"
#include "retrieval/MetaCafeExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentContext context;
    MetaCafeExtractor extractor;
    extractor.owner = &context;
    extractor.pageUrl = QStringLiteral("http://www.metacafe.com/watch/zvmc001/a_quiet_river/");
    FUZZ_CHECK(extractor.GetVideoId() == QLatin1String("zvmc001"));
    const int r = extractor.ParsePage(QString::fromUtf8(FuzzInput(data, size).Rest()));
    FUZZ_CHECK(r == 0 || r == -2);
    if (r == 0) {
        FUZZ_CHECK(extractor.mediaUrl.startsWith(QLatin1String("http"), Qt::CaseInsensitive));
        FUZZ_CHECK(!extractor.mediaUrl.contains(QLatin1String("akvideos.metacafe.com")));
        CheckFileName(extractor);
    }
    return 0;
}
