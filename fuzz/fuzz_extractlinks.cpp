// The link scan of imported pages: every link found is a whole watch link of
// one of the two sites, all YouTube links come before all Google Video ones,
// and the scan never finds more links than the text could hold.
//
// Input: the page file's bytes (any encoding, with or without a mark).

#include "FuzzFile.h"
#include "FuzzInput.h"
#include "browser/LinkCapture.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzFile scratch("fuzz_extractlinks");
    static const QRegularExpression youtube(
        QStringLiteral("\\Ahttp://www\\.youtube\\.com/watch\\?v=[\\w|\\-]+\\z"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression google(
        QStringLiteral("\\Ahttp://video\\.google\\.com/videoplay\\?docid=\\w+\\z"),
        QRegularExpression::CaseInsensitiveOption);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList links = ExtractVideoLinks(scratch.Write(bytes));

    // The shortest link, "/watch?v=x", takes ten characters of the text.
    FUZZ_CHECK(links.size() <= bytes.size() / 10 + 1);
    bool googleSeen = false;
    for (const QString& link : links) {
        const bool isYouTube = youtube.match(link).hasMatch();
        const bool isGoogle = google.match(link).hasMatch();
        FUZZ_CHECK(isYouTube != isGoogle);
        FUZZ_CHECK(!(isYouTube && googleSeen));
        googleSeen = googleSeen || isGoogle;
    }
    return 0;
}
