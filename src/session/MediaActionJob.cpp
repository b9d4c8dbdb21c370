#include "session/MediaActionJob.h"

#include "base/AppLog.h"
#include "mediatools/IdentifyMedia.h"
#include "retrieval/FilePlacement.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
const char* const kCategory = "MediaAction";

// ffmpeg's muxer for a file of this extension; the temporary name ends in
// ".qxt", so the container is always named.
QString MuxerFor(const QString& extension) {
    const QString e = extension.toLower();
    if (e == QLatin1String("mp4") || e == QLatin1String("m4v") || e == QLatin1String("m4a"))
        return QStringLiteral("mp4");
    if (e == QLatin1String("3gp") || e == QLatin1String("3g2"))
        return QStringLiteral("3gp");
    if (e == QLatin1String("mkv"))
        return QStringLiteral("matroska");
    if (e == QLatin1String("ts"))
        return QStringLiteral("mpegts");
    for (const char* same : {"flv", "webm", "mov", "mp3", "avi", "ogg"})
        if (e == QLatin1String(same))
            return e;
    return QString();
}

bool IsH264(const MediaInfo& info) {
    const QString f = info.videoFormat.toUpper();
    return f == QLatin1String("H264") || f == QLatin1String("AVC1");
}

bool IsAac(const MediaInfo& info) {
    return info.audioFormat.toUpper() == QLatin1String("MP4A") || info.audioFormat == QLatin1String("255");
}

QString Seconds(int ms) {
    return QString::number(ms / 1000.0, 'f', 3);
}

// The streams' options for the action's format; `known` tells whether the
// original could be identified (what cannot be seen is encoded).
void SetStreams(CFFMpegOpts& opts, const MediaAction& action, const MediaInfo& info, bool known,
                const QString& extension) {
    const auto encodeVideoAndAudio = [&] {
        if (extension.toLower() == QLatin1String("webm")) {
            opts.SetOutputOption(QStringLiteral("-c:v"), QStringLiteral("libvpx-vp9"));
            opts.SetOutputOption(QStringLiteral("-c:a"), QStringLiteral("libopus"));
            return;
        }
        opts.SetOutputOption(QStringLiteral("-c:v"), QStringLiteral("libx264"));
        opts.SetOutputOption(QStringLiteral("-preset"), QStringLiteral("veryfast"));
        opts.SetOutputOption(QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"));
        opts.SetOutputOption(QStringLiteral("-c:a"), QStringLiteral("aac"));
    };
    switch (action.format) {
    case MediaFormat::Original:
        if (action.exact)
            encodeVideoAndAudio();
        else
            opts.SetOutputOption(QStringLiteral("-c"), QStringLiteral("copy"));
        break;
    case MediaFormat::Mp3:
        opts.SetOutputOption(QStringLiteral("-vn"));
        opts.SetOutputOption(QStringLiteral("-c:a"), QStringLiteral("libmp3lame"));
        opts.SetOutputOption(QStringLiteral("-q:a"), QString::number(std::clamp(action.mp3Quality, 0, 9)));
        break;
    case MediaFormat::M4a:
        opts.SetOutputOption(QStringLiteral("-vn"));
        opts.SetOutputOption(QStringLiteral("-c:a"), known && IsAac(info) && !action.exact
                                                         ? QStringLiteral("copy")
                                                         : QStringLiteral("aac"));
        break;
    case MediaFormat::Mp4:
        encodeVideoAndAudio();
        if (known && IsH264(info) && !action.exact) {
            opts.RemoveOutputOption(QStringLiteral("-preset"));
            opts.RemoveOutputOption(QStringLiteral("-pix_fmt"));
            opts.SetOutputOption(QStringLiteral("-c:v"), QStringLiteral("copy"));
        }
        if (known && IsAac(info) && !action.exact)
            opts.SetOutputOption(QStringLiteral("-c:a"), QStringLiteral("copy"));
        break;
    }
}
} // namespace

MediaActionOutcome RunMediaActionJob(const QString& originalPath, const MediaAction& action,
                                     const FFMpegCallbacks& callbacks, const QString& ffmpeg,
                                     const MediaInfo* knownInfo) {
    MediaActionOutcome outcome;
    const QFileInfo original(QFileInfo(originalPath).absoluteFilePath());
    if (!original.isFile()) {
        outcome.error = QStringLiteral("the file is not there: ") + original.filePath();
        return outcome;
    }
    const QString extension = MediaActionExtension(action, original.suffix());
    const QString muxer = MuxerFor(extension);
    if (muxer.isEmpty()) {
        outcome.error = QStringLiteral("files of the type \"%1\" cannot be cut").arg(extension);
        return outcome;
    }
    MediaInfo info;
    if (knownInfo)
        info = *knownInfo;
    const bool known = knownInfo || IdentifyAnyMedia(original.filePath(), info, callbacks.stopRequested) != 0;
    if (callbacks.stopRequested && callbacks.stopRequested()) {
        outcome.kind = FFMpegResultKind::Stopped;
        outcome.error = QStringLiteral("Stopped");
        return outcome;
    }
    int durationMs = known ? info.lengthMs : 0;
    if (action.range && durationMs > 0 && action.range->startMs >= durationMs) {
        outcome.error = QStringLiteral("the range starts after the end of %1 (%2 s long)")
                            .arg(original.fileName(), QString::number(durationMs / 1000.0, 'f', 1));
        return outcome;
    }
    if (action.range) {
        const int end = durationMs > 0 ? std::min(action.range->endMs, durationMs) : action.range->endMs;
        durationMs = std::max(0, end - action.range->startMs);
    }

    const QString finalPath =
        MakeUniquePath(original.path(), MediaActionBaseName(action, original.completeBaseName()), extension);
    const QString tempPath = finalPath + QLatin1String(kTemporarySuffix);
    if (finalPath.isEmpty() || !CreateTemporaryFile(tempPath)) {
        outcome.error = QStringLiteral("can not create output file");
        return outcome;
    }

    CFFMpegOpts opts(ffmpeg);
    if (action.range) {
        // Before the input: ffmpeg seeks there instead of decoding its way.
        // A seek to the very start is left out: some demuxers (FLV) then
        // give no packets at all.
        if (action.range->startMs > 0)
            opts.SetOptionValue(QStringLiteral("-ss"), Seconds(action.range->startMs));
        opts.SetOptionValue(QStringLiteral("-to"), Seconds(action.range->endMs));
    }
    opts.SetInputFile(original.filePath());
    SetStreams(opts, action, info, known, extension);
    if (action.range && !action.exact)
        opts.SetOutputOption(QStringLiteral("-avoid_negative_ts"), QStringLiteral("make_zero"));
    opts.SetOutputOption(QStringLiteral("-f"), muxer);
    opts.SetOutputFile(tempPath);

    const FFMpegResult run = FFMpegRunner::Run(opts, durationMs, callbacks);
    outcome.kind = run.kind;
    QString placed = finalPath;
    if (run.kind == FFMpegResultKind::Ok && !TemporaryFileIntact(tempPath)) {
        outcome.kind = FFMpegResultKind::Failed;
        outcome.error = QStringLiteral("the temporary file %1 was replaced").arg(tempPath);
    } else if (run.kind == FFMpegResultKind::Ok && !MoveWithoutReplacing(tempPath, placed)) {
        outcome.kind = FFMpegResultKind::Failed;
        outcome.error = QStringLiteral("Can not rename ") + tempPath + QStringLiteral(" to ") + placed;
    } else if (run.kind == FFMpegResultKind::Ok) {
        ReleaseTemporaryFile(tempPath, false);
        outcome.path = placed;
        if (!action.keepOriginal) {
            outcome.originalRemoved = QFile::remove(original.filePath());
            if (!outcome.originalRemoved)
                LogWarnW(kCategory,
                         QStringLiteral("The original could not be removed: ") + original.filePath());
        }
        LogInfoW(kCategory, QStringLiteral("Made ") + placed);
        return outcome;
    }
    ReleaseTemporaryFile(tempPath, true);
    switch (outcome.kind) {
    case FFMpegResultKind::NoRoom:
        outcome.error = QStringLiteral("not enough room for %1 (the disk is full or the file size limit "
                                       "was reached): %2")
                            .arg(QFileInfo(finalPath).fileName(), run.error);
        break;
    case FFMpegResultKind::Failed:
        if (outcome.error.isEmpty())
            outcome.error = QStringLiteral("ffmpeg could not make %1 from %2: %3")
                                .arg(QFileInfo(finalPath).fileName(), original.fileName(), run.error);
        break;
    case FFMpegResultKind::ToolMissing:
    case FFMpegResultKind::Stopped:
    case FFMpegResultKind::Ok:
        outcome.error = run.error;
        break;
    }
    LogWarnW(kCategory, outcome.error);
    return outcome;
}
