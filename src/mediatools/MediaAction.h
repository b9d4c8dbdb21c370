#pragma once
// What a media action makes of a finished file: the range to keep (cut),
// the format to turn it into (conversion), or both at once, and whether the
// original stays beside the result.
//
// Threads: plain values and pure functions; any thread.

#include <QString>

#include <optional>

enum class MediaFormat {
    Original, // the original's container and streams (a cut)
    Mp3,      // audio alone, encoded as MP3
    M4a,      // audio alone as AAC in an MP4 container
    Mp4,      // H.264 video and AAC audio in an MP4 container
};

struct MediaRange {
    int startMs = 0;
    int endMs = 0;
};

struct MediaAction {
    // LAME's variable-bit-rate scale: 0 best ... 9 smallest.
    static constexpr int kDefaultMp3Quality = 4;

    MediaFormat format = MediaFormat::Original;
    std::optional<MediaRange> range;
    // A cut that copies the streams starts at the key frame at or before the
    // start; an exact one encodes them again and starts where asked.
    bool exact = false;
    int mp3Quality = kDefaultMp3Quality;
    bool keepOriginal = true;

    // Anything to do at all.
    bool IsSet() const { return format != MediaFormat::Original || range.has_value(); }
};

// "START-END" with each side in seconds ("75", "12.5") or minutes and
// seconds ("1:15", "0:07.5"); the end must come after the start.
std::optional<MediaRange> ParseMediaRange(const QString& text);

// The format named on a command line or in a setting: "mp3", "m4a", "mp4"
// (any case).
std::optional<MediaFormat> ParseMediaFormat(const QString& text);

// The after-download setting's value: 0 the file as it is, 1 MP3, 2 M4A,
// 3 MP4; anything else as 0.
MediaFormat MediaFormatOfSetting(int value);

// A range as minutes and whole seconds, "0.10–0.20" (en dash), for file names.
QString MediaRangeLabel(const MediaRange& range);

// The result's name beside the original's: "<name> (m.ss–m.ss)" for a
// range, the name itself otherwise; the extension is the format's, or the
// original's for MediaFormat::Original.
QString MediaActionBaseName(const MediaAction& action, const QString& originalBaseName);
QString MediaActionExtension(const MediaAction& action, const QString& originalExtension);
