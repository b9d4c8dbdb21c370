#pragma once
// Command line of yt-dlp. Every run ignores the user's yt-dlp configuration
// and cache and prints without colours, so what comes back is what this
// program asked for and can read. The address comes last, after "--", so an
// address can never be read as an option.
//
// Threads: a builder belongs to the thread that made it.

#include "mediatools/CCmdOpts.h"

class CYtDlpOpts : public CCmdOpts {
  public:
    explicit CYtDlpOpts(const QString& program);
    const char* ClassName() const override { return "CYtDlpOpts"; }

    // The format selection for the preferred-quality setting (YoutubeFMT,
    // taken modulo 6): 0 the smallest, 1..4 the best up to 360, 480, 720 and
    // 1080 lines, 5 the smallest mobile format. Separate video and audio
    // streams are merged where a site offers only those; without anything
    // within the limit the smallest there is is taken.
    static QString FormatFor(int youtubeFmt);

    // The page's metadata as one JSON document: one video, or with `listing`
    // the entries of a multi-video page without resolving each.
    void SetInfoRun(bool listing);
    // A download with machine-readable progress into `folder` as
    // "media.EXT", the final path printed once the file is in place.
    // playlistItem > 0 takes that entry (1-based) of a multi-video page, 0
    // the page's own video.
    void SetDownloadRun(const QString& format, const QString& folder, int playlistItem);
    void SetCookieFile(const QString& path);
    // Lets SSL_CERT_FILE decide which CAs are trusted: otherwise the bundle
    // of Python's certifi is used and the variable is not read.
    void SetCertificatesFromEnvironment();
    void SetUrl(const QString& url) { url_ = url; }

    QStringList BuildArguments() const override;
    const QString& BuildCommandLine() override;

    static QString ProgressTemplate();

  private:
    QString url_;
};
