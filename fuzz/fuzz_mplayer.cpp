// mplayer's output: the identification lines of a media file and the
// preview player's answers and status lines, fed in chunks the way the
// reader thread hands them over (at most kChunkBytes bytes, NUL-terminated).
//
// Input: one byte of flags (progress parsing, bounded text), one byte of
// repetitions, then the output; a \x1F byte ends a chunk early so
// characters and lines split across chunks are covered.

#include "FuzzInput.h"
#include "mediatools/CMPlayerProcess.h"
#include "mediatools/MPlayerText.h"

namespace {
// Gives the fuzzer the reader thread's entry point; no process is started.
class FedPlayer : public CMPlayerProcess {
  public:
    using CMPlayerProcess::CMPlayerProcess;
    void Feed(const QByteArray& chunk) { OnOutput(chunk.constData()); } // QByteArray ends in a NUL
};

// Keeps a repeated input from taking seconds: a few restarts of the bounded
// text are enough.
constexpr qsizetype kMaxFedBytes = 64 * 1024;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int flags = data[0];
    const int repeat = 1 + data[1] % 8;
    const bool fixedBuffer = (flags & 2) == 0;
    FedPlayer player((flags & 1) != 0, fixedBuffer ? 1 : 0);
    FUZZ_CHECK(player.GetPercentPos() == 0);

    FuzzInput in(data + 2, size - 2);
    QList<QByteArray> pieces;
    while (!in.AtEnd())
        pieces << in.NextBytes();

    qsizetype fed = 0;
    for (int round = 0; round < repeat && fed < kMaxFedBytes; ++round) {
        for (const QByteArray& piece : pieces) {
            for (qsizetype at = 0; at < piece.size() || at == 0; at += CConsoleProcess::kChunkBytes) {
                const QByteArray chunk = piece.mid(at, CConsoleProcess::kChunkBytes);
                player.Feed(chunk);
                fed += chunk.size();
                if (fixedBuffer)
                    FUZZ_CHECK(player.Text().size() <= CMPlayerProcess::kTextCapacity);
                const int percent = player.GetPercentPos();
                if (player.Text().size() < CMPlayerProcess::kAnswerWindow)
                    FUZZ_CHECK(percent == -1 || (percent == 0 && player.Text().isEmpty()));
                if (piece.isEmpty())
                    break;
            }
        }
    }
    (void)player.ProgressPosition();
    (void)player.ProgressFrame();

    const int video = player.ParseVideo();
    FUZZ_CHECK(video == 0 || video == 1);
    FUZZ_CHECK(player.ParseAudio() == 1);
    const MPlayerValues& values = player.Values();
    if (video == 0)
        FUZZ_CHECK(values.videoFormat.isEmpty());
    FUZZ_CHECK(values.hasAudio == 0 || values.hasAudio == 1);

    QStringList tracks;
    const int count = player.GetAudioTracks(tracks);
    FUZZ_CHECK(count == tracks.size());
    FUZZ_CHECK(count == FindAllValues(player.Text(), QStringLiteral("ID_AUDIO_ID")).size());
    return 0;
}
