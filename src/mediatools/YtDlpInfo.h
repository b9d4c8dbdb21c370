#pragma once
// What yt-dlp tells about an address (its single JSON document), reduced to
// what the program shows and names files by.
//
// Threads: plain values and a pure parser, any thread.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct YtDlpEntry {
    int index = 0; // 1-based position on the page: the --playlist-items value
    QString id;
    QString title;
    QString url; // the entry's own page, empty when it lives only on the listing page
};

struct YtDlpInfo {
    QString id;
    QString title;
    QString site;        // yt-dlp's extractor key ("Generic", ...)
    double duration = 0; // seconds, 0 when unknown
    QString ext;         // container of the chosen format
    QString webpageUrl;
    bool isPlaylist = false;
    std::vector<YtDlpEntry> entries; // in page order (playlists only)
};

// Parses one JSON document; nothing (and a reason in *error) unless it is an
// object.
std::optional<YtDlpInfo> ParseYtDlpInfo(const QByteArray& json, QString* error = nullptr);
