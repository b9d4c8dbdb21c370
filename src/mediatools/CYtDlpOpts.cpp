#include "mediatools/CYtDlpOpts.h"

#include "mediatools/YtDlpText.h"

CYtDlpOpts::CYtDlpOpts(const QString& program) {
    SetProgram(program);
    AddFlag(QStringLiteral("--ignore-config"));
    AddFlag(QStringLiteral("--no-cache-dir"));
    AddFlag(QStringLiteral("--no-color"));
}

QString CYtDlpOpts::FormatFor(int youtubeFmt) {
    // "bv*" is the best stream with video (with or without sound), "ba" the
    // best sound alone; "wv*" / "wa" the smallest. "+" merges two streams,
    // "/" falls back. "height<=?" lets formats of unknown height through, as
    // simple sites never say. A video stream that has its own sound is not
    // merged with a second one (yt-dlp keeps one audio stream by default).
    static const QString kSmallest = QStringLiteral("wv*+wa/w");
    const int choice = ((youtubeFmt % 6) + 6) % 6;
    switch (choice) {
    case 0:
        return kSmallest;
    case 5:
        return QStringLiteral("w[ext=3gp]/w[ext=mp4]/") + kSmallest;
    default: {
        static const int kLines[] = {0, 360, 480, 720, 1080};
        const QString limit = QStringLiteral("[height<=?%1]").arg(kLines[choice]);
        return QStringLiteral("bv*%1+ba/b%1/").arg(limit) + kSmallest;
    }
    }
}

void CYtDlpOpts::SetInfoRun(bool listing) {
    AddFlag(QStringLiteral("--dump-single-json"));
    AddFlag(listing ? QStringLiteral("--flat-playlist") : QStringLiteral("--no-playlist"));
}

QString CYtDlpOpts::ProgressTemplate() {
    return QStringLiteral("download:") + QLatin1StringView(kYtDlpProgressPrefix) +
           QStringLiteral("%(progress.status)s %(progress.downloaded_bytes)s %(progress.total_bytes)s "
                          "%(progress.total_bytes_estimate)s %(progress.speed)s");
}

void CYtDlpOpts::SetDownloadRun(const QString& format, const QString& folder, int playlistItem) {
    // --print makes yt-dlp quiet; --progress brings the progress lines back,
    // one per line with --newline.
    AddFlag(QStringLiteral("--newline"));
    AddFlag(QStringLiteral("--progress"));
    SetOptionValue(QStringLiteral("--progress-template"), ProgressTemplate());
    // The file's time is when it arrived, like the program's own downloads.
    AddFlag(QStringLiteral("--no-mtime"));
    if (playlistItem > 0)
        SetOptionValue(QStringLiteral("--playlist-items"), QString::number(playlistItem));
    else
        AddFlag(QStringLiteral("--no-playlist"));
    SetOptionValue(QStringLiteral("-f"), format);
    SetOptionValue(QStringLiteral("--merge-output-format"), QStringLiteral("mp4"));
    // The folder goes to -P, which yt-dlp takes as it stands; in -o a "%("
    // of the user's folder name would be read as a template field.
    SetOptionValue(QStringLiteral("-P"), folder);
    SetOptionValue(QStringLiteral("-o"), QStringLiteral("media.%(ext)s"));
    SetOptionValue(QStringLiteral("--print"), QStringLiteral("after_move:") +
                                                  QLatin1StringView(kYtDlpFilePrefix) +
                                                  QStringLiteral("%(filepath)s"));
    // -O is --print under its short name: a second template, since one name
    // holds one value here. It saves the separate metadata run and its start-up.
    SetOptionValue(QStringLiteral("-O"), QStringLiteral("before_dl:") + QLatin1StringView(kYtDlpInfoPrefix) +
                                             QStringLiteral("%(extractor_key)s %(playlist_count)s "
                                                            "%(playlist_index)s %(ext)s %(id)s %(title)s"));
}

void CYtDlpOpts::SetCookieFile(const QString& path) {
    SetOptionValue(QStringLiteral("--cookies"), path);
}

void CYtDlpOpts::SetCertificatesFromEnvironment() {
    SetOptionValue(QStringLiteral("--compat-options"), QStringLiteral("no-certifi"));
}

QStringList CYtDlpOpts::BuildArguments() const {
    QStringList args = CCmdOpts::BuildArguments();
    if (!url_.isEmpty())
        args << QStringLiteral("--") << url_;
    return args;
}

const QString& CYtDlpOpts::BuildCommandLine() {
    QString text = RenderCommon();
    if (!url_.isEmpty())
        text += QStringLiteral(" -- \"") + url_ + QLatin1Char('"');
    StoreCommandLine(text);
    return CommandLine();
}
