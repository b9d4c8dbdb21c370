#pragma once
// What the benchmark's server holds: Metacafe watch pages, each naming one
// media file on the same host. A media file starts with a real two-second
// FLV (made by ffmpeg, so the media player identifies it as users' files
// are) and is padded with zero bytes to the requested size; the player reads
// only the header and the metadata, which give the clip's own length.
//
// Metacafe is the site whose page fetch is a plain GET of a static page:
// no session, no cookies, no second request before the media.
//
// For the sites read through yt-dlp: a plain HTML5 video page (title,
// og:title, og:video and a <video> element, as generic video hosts write
// them) and a real MP4 clip (MPEG-4 video, AAC audio, its index before the
// samples) padded to the requested size with a trailing "free" box, which
// every MP4 reader skips: the file stays a valid MP4 of the clip's length.

#include <cstdint>
#include <string>

namespace MediaFixture {
// The host the pages and media are served under (routed to the local server).
inline constexpr const char* kHost = "www.metacafe.com";

// The watch page address and the media address of the clip `id`.
std::string PageUrl(const std::string& id);
std::string MediaUrl(const std::string& id);

// Makes the short FLV with ffmpeg; throws std::runtime_error with ffmpeg's
// own output when it fails.
void MakeClip(const std::string& ffmpeg, const std::string& path, const std::string& logPath);
// The same FLV of `seconds` at `size` ("640x360").
void MakeClip(const std::string& ffmpeg, const std::string& path, const std::string& logPath, int seconds,
              const std::string& size);
// Where the media of `id` lives under root (its folder made): MediaUrl(id)
// serves it.
std::string MediaFile(const std::string& root, const std::string& id);
// Writes `bytes` bytes under root/media/: the clip, then zeros (real blocks,
// not a sparse file), synced to disk.
void WriteMedia(const std::string& clipPath, const std::string& root, const std::string& id,
                std::int64_t bytes);
// Writes the watch page of `id` under root/watch/.
void WritePage(const std::string& root, const std::string& id);

// Makes the short MP4 (index first) with ffmpeg; throws like MakeClip.
void MakeMp4Clip(const std::string& ffmpeg, const std::string& path, const std::string& logPath);
// Writes `bytes` bytes to `path`: the MP4 clip, then one "free" box of
// zeros (real blocks) filling the rest, synced to disk. Throws when the clip
// is not an MP4 whose boxes tile the file with "moov" before "mdat", or does
// not fit.
void WriteMp4Media(const std::string& clipPath, const std::string& path, std::int64_t bytes);
// Writes an HTML5 video page to `path` whose <video> plays `mediaPath` (an
// absolute path on the same host) and whose og: tags name it under `origin`
// ("http://127.0.0.1:PORT").
void WriteVideoPage(const std::string& path, const std::string& origin, const std::string& pagePath,
                    const std::string& mediaPath, const std::string& title);
} // namespace MediaFixture
