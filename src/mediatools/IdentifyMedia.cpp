#include "mediatools/IdentifyMedia.h"

#include "base/AppLog.h"
#include "mediatools/CMPlayerProcess.h"
#include "mediatools/ToolFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <functional>

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

namespace {
bool HasControlCharacter(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

// mplayer echoes the path it is given ("Playing ...", ID_FILENAME=...), so a
// name with line breaks would add lines of its own to the output, keys
// included. It gets a link with a plain name in a private folder instead.
class PlainAlias {
  public:
    explicit PlainAlias(const QString& file)
        : dir_(QDir::tempPath() + QStringLiteral("/zorv-identify-XXXXXX")) {
        if (!dir_.isValid())
            return;
        static const QRegularExpression plainSuffix(QStringLiteral("^[A-Za-z0-9]{1,16}$"));
        const QString suffix = QFileInfo(file).suffix();
        QString name = QStringLiteral("media");
        if (plainSuffix.match(suffix).hasMatch())
            name += QLatin1Char('.') + suffix; // some formats are recognised by it
        if (QFile::link(file, dir_.filePath(name)))
            path_ = dir_.filePath(name);
    }
    const QString& Path() const { return path_; }

  private:
    QTemporaryDir dir_;
    QString path_;
};
} // namespace

int IdentifyMedia(const QString& path, MediaInfo& info) {
    return IdentifyMedia(path, info, nullptr);
}

namespace {
// Waits for mplayer's reader within `timeoutMs`, in slices when a cancel
// flag is given. False on time-out or cancel.
bool WaitForIdentification(CMPlayerProcess& player, int timeoutMs, const std::function<bool()>& cancel) {
    if (!cancel)
        return player.WaitForReader(timeoutMs);
    constexpr int kSliceMs = 100;
    for (int waited = 0; timeoutMs < 0 || waited < timeoutMs; waited += kSliceMs) {
        if (cancel())
            return false;
        const int slice = timeoutMs < 0 ? kSliceMs : std::min(kSliceMs, timeoutMs - waited);
        if (player.WaitForReader(slice))
            return true;
    }
    return false;
}
} // namespace

namespace {
enum class Streams { VideoNeeded, AnyStream };

int Identify(const QString& path, MediaInfo& info, const std::function<bool()>& cancel, Streams streams) {
    const QString mplayer = FindMPlayer();
    // An absolute path: a relative name starting with "-" would be read as an option.
    const QString file = QFileInfo(path).absoluteFilePath();
    const PlainAlias alias(file);
    if (alias.Path().isEmpty() && HasControlCharacter(file)) {
        LogWarnW(kCategory, QStringLiteral("No temporary link for \"") + path +
                                QStringLiteral("\": a name with control characters is not identified"));
        return 0;
    }
    const QStringList argv{mplayer,
                           alias.Path().isEmpty() ? file : alias.Path(),
                           QStringLiteral("-frames"),
                           QStringLiteral("0"),
                           QStringLiteral("-vo"),
                           QStringLiteral("null"),
                           QStringLiteral("-ao"),
                           QStringLiteral("null"),
                           QStringLiteral("-identify")};

    // All of the output counts: long tag lists or many chapters come before
    // the keys.
    CMPlayerProcess player(0, 0);
    if (!player.Open(argv)) {
        LogErrorW(kCategory, QStringLiteral("Cannot run mplayer \"%1\" (error %2), \"%3\" not identified")
                                 .arg(mplayer, QString::number(player.LastError()), path));
        return 0;
    }
    const int timeoutMs = IdentifyTimeoutMs();
    if (!WaitForIdentification(player, timeoutMs, cancel)) {
        player.Close();
        if (cancel && cancel()) {
            LogWarnW(kCategory, QStringLiteral("Identification of \"%1\" cut short").arg(path));
            return 0;
        }
        LogWarnW(kCategory,
                 QStringLiteral("mplayer did not finish within %1 ms and was stopped, \"%2\" not identified")
                     .arg(QString::number(timeoutMs), path));
        return 0;
    }
    player.Close();

    const bool video = player.ParseVideo() != 0;
    player.ParseAudio();
    if (!video && (streams == Streams::VideoNeeded || !player.Values().hasAudio))
        return 0;
    const MPlayerValues& v = player.Values();
    info.lengthMs = v.lengthMs;
    info.videoFormat = v.videoFormat;
    info.videoBitrate = v.videoBitrate;
    info.fps = v.fps;
    info.width = v.width;
    info.height = v.height;
    info.hasAudio = v.hasAudio;
    info.audioCodec = v.audioCodec;
    info.audioFormat = v.audioFormat;
    info.audioBitrate = v.audioBitrate;
    info.audioRate = v.audioRate;
    info.audioChannels = v.audioChannels;
    if (v.hasAudio)
        player.GetAudioTracks(info.audioTracks);
    return 1;
}

std::function<bool()> Flag(const std::atomic<bool>* cancel) {
    if (!cancel)
        return nullptr;
    return [cancel] { return cancel->load(); };
}
} // namespace

int IdentifyMedia(const QString& path, MediaInfo& info, const std::atomic<bool>* cancel) {
    return Identify(path, info, Flag(cancel), Streams::VideoNeeded);
}

int IdentifyAnyMedia(const QString& path, MediaInfo& info, const std::atomic<bool>* cancel) {
    return Identify(path, info, Flag(cancel), Streams::AnyStream);
}

int IdentifyAnyMedia(const QString& path, MediaInfo& info, const std::function<bool()>& cancelled) {
    return Identify(path, info, cancelled, Streams::AnyStream);
}
