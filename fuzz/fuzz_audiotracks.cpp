// The audio track list of an identification run: whatever mplayer prints,
// the one-pass reading of the tracks' languages must give what looking up
// each track's language line on its own gives.
//
// Input: mplayer's output, handed over in reader-sized chunks.

#include "FuzzInput.h"
#include "mediatools/CMPlayerProcess.h"
#include "mediatools/MPlayerText.h"

namespace {
class FedPlayer : public CMPlayerProcess {
  public:
    FedPlayer() : CMPlayerProcess(0, 0) {} // identification: every line kept
    void Feed(const QByteArray& chunk) { OnOutput(chunk.constData()); }
};

// The plain reading: a search of the whole output for each track.
QStringList TracksOneByOne(const QString& text) {
    QStringList tracks;
    for (const QString& id : FindAllValues(text, QStringLiteral("ID_AUDIO_ID"))) {
        QString language;
        if (FindValueFrom(text, QStringLiteral("ID_AID_") + id + QStringLiteral("_LANG"), 0, &language) >= 0)
            tracks << id + QStringLiteral(" - ") + language.toUpper();
        else
            tracks << id;
    }
    return tracks;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray output(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FedPlayer player;
    for (qsizetype at = 0; at < output.size(); at += CConsoleProcess::kChunkBytes)
        player.Feed(output.mid(at, CConsoleProcess::kChunkBytes)); // a deep copy ends in a NUL
    QStringList tracks;
    const int count = player.GetAudioTracks(tracks);
    FUZZ_CHECK(count == tracks.size());
    const QString text = player.Text();
    // A track id holding "_LANG=" or a line end is no id mplayer prints; the
    // one-pass reading need not agree there.
    for (const QString& id : FindAllValues(text, QStringLiteral("ID_AUDIO_ID")))
        if (id.contains(QLatin1String("_LANG=")) || id.contains(QLatin1Char('\r')))
            return 0;
    FUZZ_CHECK(tracks == TracksOneByOne(text));
    return 0;
}
