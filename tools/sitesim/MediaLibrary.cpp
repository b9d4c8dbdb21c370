#include "sitesim/MediaLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace {

const QStringList& Kinds() {
    static const QStringList kinds{"flv", "mp4", "videoonly", "swf", "mp4b", "mp4c"};
    return kinds;
}

bool IsMp4(const QString& kind) {
    return kind == "mp4" || kind == "mp4b" || kind == "mp4c";
}

// Two seconds of test picture and tone: long enough for a player to show a
// length, small enough (tens of kilobytes) to keep tests quick. The second
// and third mp4 clips get another picture and pitch, so a page with several
// videos has files that differ byte for byte.
QStringList Sources(const QString& kind) {
    QString picture = "testsrc";
    int pitch = 440;
    if (kind == "mp4b") {
        picture = "smptebars";
        pitch = 660;
    } else if (kind == "mp4c") {
        picture = "testsrc2";
        pitch = 880;
    }
    QStringList args{"-hide_banner", "-loglevel", "error", "-y",
                     "-f",           "lavfi",     "-i",    picture + "=duration=2:size=320x240:rate=15"};
    if (kind != "videoonly")
        args << "-f"
             << "lavfi"
             << "-i" << QString("sine=frequency=%1:duration=2").arg(pitch);
    return args;
}

} // namespace

MediaLibrary::MediaLibrary(const QString& folder, const QString& ffmpeg) : folder_(folder), ffmpeg_(ffmpeg) {}

QString MediaLibrary::Extension(const QString& kind) {
    if (IsMp4(kind))
        return "mp4";
    if (kind == "swf")
        return "swf";
    return "flv";
}

QString MediaLibrary::MimeType(const QString& kind) {
    if (IsMp4(kind))
        return "video/mp4";
    if (kind == "swf")
        return "application/x-shockwave-flash";
    return "video/x-flv";
}

QString MediaLibrary::PathOf(const QString& kind) const {
    return QDir(folder_).filePath("sitesim-" + kind + "." + Extension(kind));
}

bool MediaLibrary::Prepare(QString* error) {
    if (!QDir().mkpath(folder_)) {
        *error = "cannot create media folder " + folder_;
        return false;
    }
    bool probed = false;
    bool haveX264 = false;
    for (const QString& kind : Kinds()) {
        if (QFileInfo(PathOf(kind)).size() > 0)
            continue;
        if (!probed) {
            QProcess probe;
            probe.start(ffmpeg_, {"-hide_banner", "-encoders"});
            probe.waitForFinished(30000);
            haveX264 = probe.readAllStandardOutput().contains(" libx264 ");
            probed = true;
        }
        if (!Generate(kind, haveX264, error))
            return false;
    }
    return true;
}

bool MediaLibrary::Generate(const QString& kind, bool haveX264, QString* error) const {
    const QString finalPath = PathOf(kind);
    // Unique per process so two simulators sharing a cache never write into
    // each other's half-made file; the rename publishes it whole.
    const QString tempPath = QString("%1.%2.part").arg(finalPath).arg(QCoreApplication::applicationPid());
    QStringList args = Sources(kind);
    if (IsMp4(kind)) {
        if (haveX264)
            args << "-c:v"
                 << "libx264"
                 << "-preset"
                 << "ultrafast"
                 << "-pix_fmt"
                 << "yuv420p";
        else
            args << "-c:v"
                 << "mpeg4";
        args << "-c:a"
             << "aac"
             << "-b:a"
             << "48k"
             << "-shortest"
             << "-f"
             << "mp4";
    } else {
        args << "-c:v"
             << "flv1";
        if (kind == "videoonly")
            args << "-an";
        else
            args << "-c:a"
                 << "libmp3lame"
                 << "-ar"
                 << "22050"
                 << "-b:a"
                 << "32k"
                 << "-shortest";
        args << "-f" << (kind == "swf" ? "swf" : "flv");
    }
    args << tempPath;

    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(ffmpeg_, args);
    if (!ffmpeg.waitForStarted(10000)) {
        *error = QString("cannot run %1: %2").arg(ffmpeg_, ffmpeg.errorString());
        return false;
    }
    ffmpeg.waitForFinished(120000);
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        *error = QString("ffmpeg failed making %1: %2").arg(kind, QString::fromLocal8Bit(ffmpeg.readAll()));
        QFile::remove(tempPath);
        return false;
    }
    QFile::remove(finalPath);
    if (!QFile::rename(tempPath, finalPath) && !QFileInfo::exists(finalPath)) {
        *error = "cannot move media file to " + finalPath;
        QFile::remove(tempPath);
        return false;
    }
    QFile::remove(tempPath);
    return true;
}
