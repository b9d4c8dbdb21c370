#pragma once
// What identification learns about a media file.

#include <QString>
#include <QStringList>

struct MediaInfo {
    int lengthMs = 0;
    QString videoFormat;
    double videoBitrate = 0;
    double fps = 0;
    int width = 0;
    int height = 0;
    int hasAudio = 0;
    QString audioCodec;
    QString audioFormat; // the stream's format tag as mplayer names it ("85" MP3, "MP4A" AAC)
    int audioBitrate = 0;
    int audioRate = 0;
    int audioChannels = 0;
    QStringList audioTracks; // only filled when the file has audio
};
