#pragma once
// Identification of a media file by running mplayer in identification mode.
//
// Threads: any thread; each call runs its own mplayer and waits for it.

#include "mediatools/MediaInfo.h"

#include <QString>

#include <atomic>
#include <functional>

// Fills `info` and returns 1 when mplayer reports a video format for the
// file; returns 0 and leaves `info` untouched otherwise (not a media file,
// mplayer missing, or mplayer not finished within the time limit, after
// which it is killed). Failures to run mplayer are logged.
int IdentifyMedia(const QString& path, MediaInfo& info);
// The same, cut short when `*cancel` becomes true (checked every 100 ms
// while mplayer runs): mplayer is then killed and reaped, and 0 returned.
int IdentifyMedia(const QString& path, MediaInfo& info, const std::atomic<bool>* cancel);

// The same for a file that may hold audio alone (an MP3, an M4A): 1 when
// mplayer reports a video format or an audio codec. `info` then has an
// empty video format and no frame size for audio alone.
int IdentifyAnyMedia(const QString& path, MediaInfo& info, const std::atomic<bool>* cancel = nullptr);
// The same, cut short when `cancelled` (asked every 100 ms) says so.
int IdentifyAnyMedia(const QString& path, MediaInfo& info, const std::function<bool()>& cancelled);

// The time limit for one identification, 30 000 ms unless changed (tests).
void SetIdentifyTimeoutMs(int ms);
int IdentifyTimeoutMs();
