#pragma once
// What the benchmark's server holds: Metacafe watch pages, each naming one
// media file on the same host. A media file starts with a real two-second
// FLV (made by ffmpeg, so the media player identifies it as users' files
// are) and is padded with zero bytes to the requested size; the player reads
// only the header and the metadata, which give the clip's own length.
//
// Metacafe is the site whose page fetch is a plain GET of a static page:
// no session, no cookies, no second request before the media.

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
// Writes `bytes` bytes under root/media/: the clip, then zeros (real blocks,
// not a sparse file), synced to disk.
void WriteMedia(const std::string& clipPath, const std::string& root, const std::string& id,
                std::int64_t bytes);
// Writes the watch page of `id` under root/watch/.
void WritePage(const std::string& root, const std::string& id);
} // namespace MediaFixture
