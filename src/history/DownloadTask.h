#pragma once
// One row of the task list and of the history list.

#include "mediatools/MediaInfo.h"

#include <QString>
#include <QStringList>

struct DownloadTask {
    // Failed: the download ended with a file that is not a video; `location`
    // is that file, and the row is neither played nor started again.
    // Acting: a media action is making this row's file from `location` (the
    // original); the row is neither played nor started until it ends.
    enum State { LocalFile = 0, Pending = 1, Failed = 2, Acting = 3 };

    QString location; // page address while pending, else the local file path
    int lengthMs = 0;
    int markInMs = 0;
    int markOutMs = 0;
    QString videoFormat;
    double videoBitrate = 0;
    double fps = 0;
    int width = 0;
    int height = 0;
    int hasAudio = 0;
    QString audioCodec;
    int audioBitrate = 0;
    int audioRate = 0;
    int audioChannels = 0;
    QStringList audioTracks;
    QString pageUrl;
    QString siteUrl;  // history rows: the page address
    QString sizeText; // history rows: frame size text
    QString dateText; // history rows: date text
    int state = Pending;
    int site = -2;
    int playlistItem = 0; // pending: > 0, that video of the page at `location`
    QString siteName;     // OTHER_SITE: the site's name as yt-dlp reports it ("Generic", "Vimeo")

    // Copies an identification result and turns the task into a local file.
    void ApplyMediaInfo(const QString& path, const MediaInfo& info) {
        location = path;
        lengthMs = info.lengthMs;
        videoFormat = info.videoFormat;
        videoBitrate = info.videoBitrate;
        fps = info.fps;
        width = info.width;
        height = info.height;
        hasAudio = info.hasAudio;
        audioCodec = info.audioCodec;
        audioBitrate = info.audioBitrate;
        audioRate = info.audioRate;
        audioChannels = info.audioChannels;
        if (info.hasAudio)
            audioTracks = info.audioTracks;
        markInMs = 0;
        markOutMs = lengthMs;
        state = LocalFile;
    }
};
