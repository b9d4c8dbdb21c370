#include "mediatools/IdentifyMedia.h"

#include "app/AppLog.h"
#include "mediatools/CMPlayerProcess.h"
#include "mediatools/ToolFolders.h"

#include <QFileInfo>

#include <atomic>

namespace {
std::atomic<int> gTimeoutMs{30000};
const char* const kCategory = "IdentifyMedia";
} // namespace

void SetIdentifyTimeoutMs(int ms) {
    gTimeoutMs = ms;
}

int IdentifyTimeoutMs() {
    return gTimeoutMs;
}

int IdentifyMedia(const QString& path, MediaInfo& info) {
    const QString mplayer = FindMPlayer();
    // An absolute path: a relative name starting with "-" would be read as an option.
    const QString file = QFileInfo(path).absoluteFilePath();
    const QStringList argv{mplayer,
                           file,
                           QStringLiteral("-frames"),
                           QStringLiteral("0"),
                           QStringLiteral("-vo"),
                           QStringLiteral("null"),
                           QStringLiteral("-ao"),
                           QStringLiteral("null"),
                           QStringLiteral("-identify")};

    CMPlayerProcess player(0, 1);
    if (!player.Open(argv)) {
        LogErrorW(kCategory, QStringLiteral("Cannot run mplayer \"%1\" (error %2), \"%3\" not identified")
                                 .arg(mplayer)
                                 .arg(player.LastError())
                                 .arg(path));
        return 0;
    }
    const int timeoutMs = IdentifyTimeoutMs();
    if (!player.WaitForReader(timeoutMs)) {
        player.Close();
        LogWarnW(kCategory,
                 QStringLiteral("mplayer did not finish within %1 ms and was stopped, \"%2\" not identified")
                     .arg(timeoutMs)
                     .arg(path));
        return 0;
    }
    player.Close();

    if (!player.ParseVideo())
        return 0;
    player.ParseAudio();
    const MPlayerValues& v = player.Values();
    info.lengthMs = v.lengthMs;
    info.videoFormat = v.videoFormat;
    info.videoBitrate = v.videoBitrate;
    info.fps = v.fps;
    info.width = v.width;
    info.height = v.height;
    info.hasAudio = v.hasAudio;
    info.audioCodec = v.audioCodec;
    info.audioBitrate = v.audioBitrate;
    info.audioRate = v.audioRate;
    info.audioChannels = v.audioChannels;
    if (v.hasAudio)
        player.GetAudioTracks(info.audioTracks);
    return 1;
}
