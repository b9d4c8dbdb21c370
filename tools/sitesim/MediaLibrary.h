#pragma once
// The small media files the simulated sites serve, made with ffmpeg into one
// folder the first time they are asked for and reused afterwards (a file that
// exists under its name is taken as finished: it is only ever created by
// renaming a complete temporary file). Prepare runs before the servers start;
// afterwards the object is only read.

#include <QString>

class MediaLibrary {
  public:
    explicit MediaLibrary(const QString& folder, const QString& ffmpeg = QStringLiteral("ffmpeg"));

    // Makes every missing file. False with a reason when ffmpeg fails.
    bool Prepare(QString* error);

    // Kinds: "flv" (Flash video with MP3 sound), "mp4" (H.264 or MPEG-4 with
    // AAC), "videoonly" (Flash video without sound), "swf" (Flash movie),
    // "mp4b" and "mp4c" (two more mp4 clips with other pictures and tones).
    QString PathOf(const QString& kind) const;
    static QString MimeType(const QString& kind);
    static QString Extension(const QString& kind);

  private:
    bool Generate(const QString& kind, bool haveX264, QString* error) const;

    QString folder_;
    QString ffmpeg_;
};
