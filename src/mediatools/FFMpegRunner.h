#pragma once
// Runs one ffmpeg command (CFFMpegOpts, made a progress run here) to its
// end: progress as per-mille of the expected duration, a stop that
// interrupts ffmpeg, and a clear reason when it fails.
//
// Threads: the caller's thread runs everything and receives every callback;
// the stop callback is asked at least every kPollMs. The run's reader thread
// is joined and ffmpeg reaped before Run returns.

#include "mediatools/CFFMpegOpts.h"

#include <QString>

#include <functional>

enum class FFMpegResultKind {
    Ok,
    ToolMissing, // no ffmpeg in the tool folder or on PATH
    NoRoom,      // the output could not be written: disk full, or a file size limit
    Failed,      // anything else ffmpeg reported (an input it cannot read, ...)
    Stopped,     // the caller asked to stop
};

struct FFMpegResult {
    FFMpegResultKind kind = FFMpegResultKind::Failed;
    QString error; // ffmpeg's own last line, or what the runner saw
};

struct FFMpegCallbacks {
    std::function<void(int perMille)> progress; // called when the value changes
    std::function<bool()> stopRequested;
};

class FFMpegRunner {
  public:
    static constexpr int kPollMs = 50;
    // An interrupted ffmpeg gets this long to end before it is killed.
    static constexpr int kStopGraceMs = 2000;

    // `durationMs`: how long the output will play, for the progress (0:
    // unknown, no progress is reported before the end).
    static FFMpegResult Run(CFFMpegOpts& opts, int durationMs, const FFMpegCallbacks& callbacks);
};
