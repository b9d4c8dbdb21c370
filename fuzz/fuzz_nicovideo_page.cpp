// A NicoVideo watch page and the media interface's answer for a fixed
// address: the media address rebuilt from the answer, the file type from
// its "smile" key, the title, and the file named after it.
//
// Input: watch page \x1F the media interface's answer.

#include "FuzzSite.h"
#include "retrieval/NicoVideoExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QString page = in.NextText();
    const QString reply = QString::fromUtf8(in.Rest());

    SilentContext context;
    NicoVideoExtractor extractor;
    extractor.owner = &context;
    extractor.pageUrl = QStringLiteral("http://www.nicovideo.jp/watch/sm900001");
    FUZZ_CHECK(extractor.GetVideoId() == QLatin1String("sm900001"));
    const int r = extractor.ParseFlvReply(reply, page);
    FUZZ_CHECK(r == 0 || r == -2);
    if (r != 0)
        return 0;
    FUZZ_CHECK(extractor.mediaUrl.startsWith(QLatin1String("http://")));
    FUZZ_CHECK(extractor.extension == QLatin1String("flv") || extractor.extension == QLatin1String("swf") ||
               extractor.extension == QLatin1String("mp4"));
    CheckFileName(extractor);
    return 0;
}
