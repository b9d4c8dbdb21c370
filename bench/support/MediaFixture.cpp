#include "MediaFixture.h"

#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace MediaFixture {
namespace {
constexpr size_t kChunk = size_t(4) << 20;

std::string MediaPath(const std::string& root, const std::string& id) {
    return root + "/media/" + id + ".flv";
}

void WriteAll(int fd, const char* data, size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            ThrowIfStopped();
            continue;
        }
        if (n <= 0)
            throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
        data += n;
        size -= static_cast<size_t>(n);
    }
}
std::vector<char> ReadClip(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// `head`, then zeros up to `bytes` (real blocks, not a sparse file), synced.
void WritePadded(const std::string& path, const std::vector<char>& head, std::int64_t bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    try {
        WriteAll(fd, head.data(), head.size(), path);
        const std::vector<char> zeros(kChunk, 0);
        for (std::int64_t left = bytes - static_cast<std::int64_t>(head.size()); left > 0;) {
            ThrowIfStopped();
            const size_t n = static_cast<size_t>(std::min<std::int64_t>(left, kChunk));
            WriteAll(fd, zeros.data(), n, path);
            left -= static_cast<std::int64_t>(n);
        }
        if (::fsync(fd) != 0)
            throw std::runtime_error("cannot sync " + path + ": " + std::strerror(errno));
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

std::uint64_t BigEndian(const std::vector<char>& data, size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | static_cast<unsigned char>(data[at + static_cast<size_t>(i)]);
    return value;
}

// The clip's top-level boxes must cover it exactly, index ("moov") first: a
// reader then finds everything it needs before the padding.
void CheckMp4Boxes(const std::vector<char>& clip, const std::string& path) {
    size_t at = 0;
    bool moov = false, mdat = false;
    while (at < clip.size()) {
        if (clip.size() - at < 8)
            throw std::runtime_error(path + ": a truncated MP4 box header");
        std::uint64_t size = BigEndian(clip, at, 4);
        const std::string type(clip.data() + at + 4, 4);
        if (size == 1 && clip.size() - at >= 16)
            size = BigEndian(clip, at + 8, 8);
        if (size < 8 || size > clip.size() - at)
            throw std::runtime_error(path + ": the MP4 box \"" + type + "\" does not fit the file");
        if (type == "moov")
            moov = true;
        if (type == "mdat") {
            if (!moov)
                throw std::runtime_error(path + ": the MP4 samples come before its index");
            mdat = true;
        }
        at += static_cast<size_t>(size);
    }
    if (!moov || !mdat)
        throw std::runtime_error(path + ": not an MP4 with an index and samples");
}

void RunFfmpeg(const std::string& ffmpeg, const std::vector<std::string>& codec, const std::string& path,
               const std::string& logPath, const char* what, int seconds = 2,
               const std::string& size = "320x240") {
    std::vector<std::string> argv = {ffmpeg,
                                     "-nostdin",
                                     "-v",
                                     "error",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "testsrc=size=" + size + ":rate=25",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=frequency=440:sample_rate=44100",
                                     "-t",
                                     std::to_string(seconds)};
    argv.insert(argv.end(), codec.begin(), codec.end());
    argv.push_back(path);
    const ChildOutcome made = RunToEnd(argv, logPath);
    if (!made.Succeeded() || !fs::exists(path)) {
        std::ifstream log(logPath);
        std::ostringstream text;
        text << log.rdbuf();
        throw std::runtime_error(std::string("ffmpeg could not make the ") + what + " clip (" +
                                 made.Describe() + "): " + text.str());
    }
}
} // namespace

std::string PageUrl(const std::string& id) {
    return std::string("http://") + kHost + "/watch/" + id + "/clip/";
}

std::string MediaUrl(const std::string& id) {
    return std::string("http://") + kHost + "/media/" + id + ".flv";
}

void MakeClip(const std::string& ffmpeg, const std::string& path, const std::string& logPath) {
    MakeClip(ffmpeg, path, logPath, 2, "320x240");
}

void MakeClip(const std::string& ffmpeg, const std::string& path, const std::string& logPath, int seconds,
              const std::string& size) {
    RunFfmpeg(ffmpeg, {"-c:v", "flv1", "-c:a", "libmp3lame", "-f", "flv"}, path, logPath, "FLV", seconds,
              size);
}

std::string MediaFile(const std::string& root, const std::string& id) {
    fs::create_directories(root + "/media");
    return MediaPath(root, id);
}

void MakeMp4Clip(const std::string& ffmpeg, const std::string& path, const std::string& logPath) {
    RunFfmpeg(ffmpeg, {"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart", "-f", "mp4"}, path, logPath,
              "MP4");
}

void WriteMedia(const std::string& clipPath, const std::string& root, const std::string& id,
                std::int64_t bytes) {
    const std::vector<char> clip = ReadClip(clipPath);
    if (clip.empty() || static_cast<std::int64_t>(clip.size()) > bytes)
        throw std::runtime_error("the FLV clip is empty or larger than the media size");
    fs::create_directories(root + "/media");
    WritePadded(MediaPath(root, id), clip, bytes);
}

void WriteMp4Media(const std::string& clipPath, const std::string& path, std::int64_t bytes) {
    std::vector<char> head = ReadClip(clipPath);
    CheckMp4Boxes(head, clipPath);
    const std::int64_t pad = bytes - static_cast<std::int64_t>(head.size());
    if (pad != 0 && pad < 16)
        throw std::runtime_error("the MP4 clip (" + std::to_string(head.size()) +
                                 " bytes) leaves no room for padding in " + std::to_string(bytes) + " bytes");
    if (pad > 0) {
        // A 32-bit box size when it fits, else size 1 and a 64-bit size after
        // the type.
        const bool large = pad > 0xFFFFFFFFLL;
        const std::uint64_t size = static_cast<std::uint64_t>(pad);
        const std::uint64_t field = large ? 1 : size;
        for (int shift = 24; shift >= 0; shift -= 8)
            head.push_back(static_cast<char>((field >> shift) & 0xFF));
        for (const char c : {'f', 'r', 'e', 'e'})
            head.push_back(c);
        if (large)
            for (int shift = 56; shift >= 0; shift -= 8)
                head.push_back(static_cast<char>((size >> shift) & 0xFF));
    }
    fs::create_directories(fs::path(path).parent_path());
    WritePadded(path, head, bytes);
}

void WritePage(const std::string& root, const std::string& id) {
    const std::string dir = root + "/watch/" + id + "/clip";
    fs::create_directories(dir);
    std::ofstream page(dir + "/index.html", std::ios::trunc);
    // The player parameters as the site wrote them: the media address ends
    // in ".flv" and is followed by the next parameter.
    page << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Benchmark clip " << id
         << "</title></head>\n<body>\n<h1 id=\"ItemTitle\">Benchmark clip " << id
         << "</h1>\n<object id=\"fpObj\">\n<param name=\"flashvars\" value=\"mediaURL=" << MediaUrl(id)
         << "&amp;postRollContentURL=&amp;itemID=" << id << "\">\n</object>\n</body></html>\n";
    if (!page)
        throw std::runtime_error("cannot write the watch page under " + dir);
}

void WriteVideoPage(const std::string& path, const std::string& origin, const std::string& pagePath,
                    const std::string& mediaPath, const std::string& title) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream page(path, std::ios::trunc);
    page << "<!DOCTYPE html>\n<html lang=\"en\"><head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         << "<title>" << title << "</title>\n"
         << "<meta property=\"og:type\" content=\"video.other\">\n"
         << "<meta property=\"og:title\" content=\"" << title << "\">\n"
         << "<meta property=\"og:url\" content=\"" << origin << pagePath << "\">\n"
         << "<meta property=\"og:video\" content=\"" << origin << mediaPath << "\">\n"
         << "<meta property=\"og:video:type\" content=\"video/mp4\">\n"
         << "<meta property=\"og:video:width\" content=\"320\">\n"
         << "<meta property=\"og:video:height\" content=\"240\">\n"
         << "</head>\n<body>\n<h1>" << title << "</h1>\n"
         << "<video controls preload=\"metadata\" width=\"320\" height=\"240\">\n"
         << "  <source src=\"" << mediaPath << "\" type=\"video/mp4\">\n</video>\n</body></html>\n";
    if (!page)
        throw std::runtime_error("cannot write the video page " + path);
}
} // namespace MediaFixture
