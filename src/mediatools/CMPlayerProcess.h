#pragma once
// An mplayer run that collects its output: identification ("ID_" lines) and
// the preview player's slave-mode answers.
//
// With the fixed buffer (the preview player, which may print for hours) the
// collected text keeps the newest output only: at most kTextCapacity
// characters. When a chunk would fill it, the text starts again with that
// chunk, so keys printed before such a restart are no longer found. Without
// it (identification) every character is kept up to kCollectLimit, far more
// than any real file makes mplayer print; beyond that the oldest output goes.
//
// Threads:
// - Reader thread: OnOutput appends to the text (and, with progress parsing
//   on, updates the progress values).
// - Owner thread: Open/Write/Stop/Close (CConsoleProcess), GetPercentPos
//   while the reader still appends, and ParseVideo / ParseAudio /
//   GetAudioTracks / Values after the reader has ended.
// - Shared: the text and the progress values, under one internal lock; every
//   parse works on its own copy of the text.

#include "mediatools/CConsoleProcess.h"

#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <mutex>

struct MPlayerValues {
    QString demuxer;       // ID_DEMUXER
    QString videoFormat;   // ID_VIDEO_FORMAT
    int videoBitrate = 0;  // ID_VIDEO_BITRATE
    int width = 0;         // ID_VIDEO_WIDTH
    int height = 0;        // ID_VIDEO_HEIGHT
    double fps = 0;        // ID_VIDEO_FPS
    double aspect = 0;     // ID_VIDEO_ASPECT
    int lengthMs = 0;      // ID_LENGTH (seconds) in whole milliseconds
    int hasAudio = 0;      // 1 once ID_AUDIO_CODEC was found
    QString audioCodec;    // ID_AUDIO_CODEC
    QString audioFormat;   // ID_AUDIO_FORMAT ("85" MP3, "MP4A" AAC, ...)
    int audioBitrate = 0;  // ID_AUDIO_BITRATE
    int audioRate = 0;     // ID_AUDIO_RATE
    int audioChannels = 0; // ID_AUDIO_NCH
};

class CMPlayerProcess : public CConsoleProcess {
  public:
    static constexpr int kTextCapacity = 8192;
    static constexpr int kCollectLimit = 1 << 20;
    // GetPercentPos looks only this far back.
    static constexpr int kAnswerWindow = 128;

    // progressParsing: scan the status line after every chunk. fixedBuffer:
    // keep the restarting kTextCapacity text (0: keep all output up to
    // kCollectLimit characters).
    explicit CMPlayerProcess(int progressParsing = 0, int fixedBuffer = 1);
    ~CMPlayerProcess() override;

    // 1 when ID_VIDEO_FORMAT was found, else 0; fills the video values and
    // the length (last value of each key).
    int ParseVideo();
    // Fills the audio values; always 1.
    int ParseAudio();
    // "id - LANG" for each ID_AUDIO_ID with a language, else "id"; returns
    // the number of tracks.
    int GetAudioTracks(QStringList& tracks) const;
    // The playback position of the first ANS_PERCENT_POSITION answer in the
    // last kAnswerWindow characters; 0 before any output, -1 when the text
    // is shorter than the window or the window holds no answer.
    int GetPercentPos() const;

    const MPlayerValues& Values() const { return values_; }
    // Status-line values (progress parsing only): "V:" position and frame.
    double ProgressPosition() const;
    int ProgressFrame() const;
    // A copy of the collected text.
    QString Text() const;

  protected:
    void OnOutput(const char* chunk) override;
    // The runner's diagnostics mean nothing to mplayer's owners.
    void OnError(const char*) override {}

  private:
    void ScanStatusLineLocked();

    const bool progressParsing_;
    const bool fixedBuffer_;
    QStringDecoder decoder_{QStringDecoder::Utf8}; // reader thread only

    mutable std::mutex textMutex_;
    QString text_;
    bool haveText_ = false;
    double progressPosition_ = 0;
    int progressFrame_ = 0;

    MPlayerValues values_; // owner thread only
};
