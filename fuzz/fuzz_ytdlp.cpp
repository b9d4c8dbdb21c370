// yt-dlp's output as the runner reads it: progress, file and error lines of
// a download, the JSON document of a metadata run, fed in chunks the way the
// reader thread hands them over (at most kChunkBytes bytes, NUL-terminated).
//
// Input: one byte of flags (bit 0: metadata run), then the output; a \x1F
// byte ends a chunk early so lines split across chunks are covered.

#include "FuzzInput.h"
#include "mediatools/CYtDlpProcess.h"
#include "mediatools/YtDlpInfo.h"
#include "mediatools/YtDlpText.h"

namespace {
// Gives the fuzzer the reader thread's entry point; no process is started.
class FedRun : public CYtDlpProcess {
  public:
    using CYtDlpProcess::CYtDlpProcess;
    void Feed(const QByteArray& chunk) { OnOutput(chunk.constData()); } // QByteArray ends in a NUL
};

bool Readable(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const bool metadata = (data[0] & 1) != 0;
    constexpr qint64 kLimit = 256 * 1024;
    FedRun run(metadata ? CYtDlpProcess::Mode::Collect : CYtDlpProcess::Mode::Download, kLimit);
    FuzzInput in(data + 1, size - 1);
    while (!in.AtEnd()) {
        const QByteArray piece = in.NextBytes();
        for (qsizetype at = 0; at < piece.size(); at += CConsoleProcess::kChunkBytes) {
            run.Feed(piece.mid(at, CConsoleProcess::kChunkBytes));
            const YtDlpProgress p = run.Progress();
            FUZZ_CHECK(p.perMille >= 0 && p.perMille <= 1000);
            FUZZ_CHECK(p.received >= 0 && p.total >= 0 && p.speed >= 0);
        }
    }
    FUZZ_CHECK(run.RawLines().size() <= (metadata ? kLimit : CYtDlpProcess::kTailLines));
    for (const QString& line : run.Lines()) {
        const QString text = CleanYtDlpError(line);
        FUZZ_CHECK(text.size() <= kMaxErrorChars && Readable(text));
        (void)ClassifyYtDlpError(text, true);
    }
    FUZZ_CHECK(run.ErrorLine().isEmpty() || run.ErrorLine().startsWith(QLatin1String("ERROR:")));
    for (const QByteArray& line : run.RawLines()) {
        if (const std::optional<YtDlpInfo> info = ParseYtDlpInfo(line)) {
            for (const YtDlpEntry& e : info->entries)
                (void)e.index;
        }
    }
    return 0;
}
