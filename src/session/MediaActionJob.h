#pragma once
// One media action on a finished file: the range cut out and/or the
// conversion, written by ffmpeg beside the original under a temporary name
// and moved to its own free name only when ffmpeg succeeded. Whatever way
// it ends, nothing but the original and (on success) the result is left;
// the original goes only when the result is in place and the action says so.
//
// Threads: RunMediaActionJob runs on the caller's thread (the session's
// action thread) with every callback; see FFMpegRunner for its child.

#include "mediatools/FFMpegRunner.h"
#include "mediatools/MediaAction.h"
#include "mediatools/MediaInfo.h"

#include <QString>

struct MediaActionOutcome {
    FFMpegResultKind kind = FFMpegResultKind::Failed;
    QString path;  // Ok: the result's final path
    QString error; // otherwise: what to tell the user
    bool originalRemoved = false;
};

// `ffmpeg`: the program to run (empty: the tool folder's, else PATH).
// `known`: the original's identification when the caller has it (else the
// original is identified first).
MediaActionOutcome RunMediaActionJob(const QString& original, const MediaAction& action,
                                     const FFMpegCallbacks& callbacks, const QString& ffmpeg = QString(),
                                     const MediaInfo* known = nullptr);
