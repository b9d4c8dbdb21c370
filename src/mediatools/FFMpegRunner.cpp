#include "mediatools/FFMpegRunner.h"

#include "base/AppLog.h"
#include "mediatools/CFFMpegProcess.h"
#include "platform/ProcessSignals.h"

#include <algorithm>
#include <cerrno>

namespace {
const char* const kCategory = "FFMpeg";

bool SaysNoRoom(const QStringList& lines) {
    for (const QString& line : lines)
        if (line.contains(QLatin1String("No space left on device")) ||
            line.contains(QLatin1String("File too large")) || line.contains(QLatin1String("Disk quota")))
            return true;
    return false;
}
} // namespace

FFMpegResult FFMpegRunner::Run(CFFMpegOpts& opts, int durationMs, const FFMpegCallbacks& callbacks) {
    opts.SetProgressRun();
    LogInfoW(kCategory, QStringLiteral("Running ") + opts.Rendered());
    CFFMpegProcess process;
    if (!process.Open(opts.BuildArguments())) {
        const int err = process.LastError();
        if (err == ENOENT || err == EACCES)
            return {FFMpegResultKind::ToolMissing, QStringLiteral("ffmpeg was not found (\"%1\"); install it "
                                                                  "with \"apt install ffmpeg\"")
                                                       .arg(opts.Program())};
        return {FFMpegResultKind::Failed, QStringLiteral("ffmpeg could not be started (error %1)").arg(err)};
    }
    int reported = -1;
    const auto report = [&](int perMille) {
        if (callbacks.progress && perMille != reported) {
            reported = perMille;
            callbacks.progress(perMille);
        }
    };
    while (!process.WaitForReader(kPollMs)) {
        if (callbacks.stopRequested && callbacks.stopRequested()) {
            process.Stop();
            process.WaitForReader(kStopGraceMs);
            process.Close();
            return {FFMpegResultKind::Stopped, QStringLiteral("Stopped")};
        }
        if (durationMs > 0)
            report(int(std::clamp<qint64>(process.OutTimeUs() / durationMs, 0, 999)));
    }
    process.Close();
    const QStringList tail = process.TailLines();
    const int exitCode = process.ExitCode();
    if (exitCode == 0 && process.ReportedEnd()) {
        report(1000);
        return {FFMpegResultKind::Ok, QString()};
    }
    for (const QString& line : tail)
        LogWarnW(kCategory, QStringLiteral("ffmpeg: ") + line);
    const QString last = tail.isEmpty() ? QString() : tail.last();
    // A file size limit kills a writer that does not ignore its signal.
    if (EndedByFileSizeLimit(exitCode) || SaysNoRoom(tail))
        return {FFMpegResultKind::NoRoom,
                last.isEmpty() ? QStringLiteral("the file size limit was reached") : last};
    if (last.isEmpty())
        return {FFMpegResultKind::Failed, QStringLiteral("ffmpeg failed (exit code %1)").arg(exitCode)};
    return {FFMpegResultKind::Failed, last};
}
