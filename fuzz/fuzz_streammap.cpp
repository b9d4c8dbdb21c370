// The choice of one stream from a YouTube stream map by each format
// preference: the chosen address must come from one entry of the map (an
// entry's own trailing itag field cut) and name one itag at most.
//
// Input: one byte (format preference) \x1F the stream map.

#include "FuzzSite.h"
#include "base/AppSettings.h"
#include "retrieval/YouTubeExtractor.h"

namespace {
// What an entry names, read the simple way: the unescaped address after
// "url=" of the decoded entry, or the entry itself.
QString EntryAddress(const QString& piece) {
    const QString decoded = QString::fromUtf8(PercentDecode(piece.toUtf8()));
    return UnescapeStreamUrl(decoded.startsWith(QLatin1String("url=")) ? decoded.mid(4) : piece);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int format = in.NextSmall() - 128;
    const QString map = QString::fromUtf8(in.Rest());

    SilentContext context;
    YouTubeExtractor extractor;
    extractor.owner = &context;
    extractor.pageUrl = QStringLiteral("http://www.youtube.com/watch?v=zvStreams01");
    extractor.GetVideoId();
    extractor.streamMap = map;
    Settings().YoutubeFMT = format;
    Settings().Publish();

    const int r = extractor.ParsePage(QString());
    FUZZ_CHECK(r == (map.isEmpty() ? -1 : 0));
    if (r != 0)
        return 0;
    const QString& chosen = extractor.mediaUrl;
    FUZZ_CHECK(!chosen.contains(QChar(0)));
    const QLatin1String itagField("&itag=");
    const qsizetype first = chosen.indexOf(itagField);
    FUZZ_CHECK(first <= 0 || chosen.indexOf(itagField, first + 1) < 0);

    bool fromMap = false;
    for (const QString& piece : SplitText(map, QLatin1Char(',')))
        fromMap = fromMap || EntryAddress(piece).startsWith(chosen);
    FUZZ_CHECK(fromMap);
    return 0;
}
