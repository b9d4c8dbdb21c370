#include "MediaFixture.h"

#include "ChildProcess.h"

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
} // namespace

std::string PageUrl(const std::string& id) {
    return std::string("http://") + kHost + "/watch/" + id + "/clip/";
}

std::string MediaUrl(const std::string& id) {
    return std::string("http://") + kHost + "/media/" + id + ".flv";
}

void MakeClip(const std::string& ffmpeg, const std::string& path, const std::string& logPath) {
    const ChildOutcome made = RunToEnd({ffmpeg,
                                        "-nostdin",
                                        "-v",
                                        "error",
                                        "-y",
                                        "-f",
                                        "lavfi",
                                        "-i",
                                        "testsrc=size=320x240:rate=25",
                                        "-f",
                                        "lavfi",
                                        "-i",
                                        "sine=frequency=440:sample_rate=44100",
                                        "-t",
                                        "2",
                                        "-c:v",
                                        "flv1",
                                        "-c:a",
                                        "libmp3lame",
                                        "-f",
                                        "flv",
                                        path},
                                       logPath);
    if (!made.Succeeded() || !fs::exists(path)) {
        std::ifstream log(logPath);
        std::ostringstream text;
        text << log.rdbuf();
        throw std::runtime_error("ffmpeg could not make the FLV clip (" + made.Describe() +
                                 "): " + text.str());
    }
}

void WriteMedia(const std::string& clipPath, const std::string& root, const std::string& id,
                std::int64_t bytes) {
    std::ifstream clipFile(clipPath, std::ios::binary);
    const std::vector<char> clip((std::istreambuf_iterator<char>(clipFile)),
                                 std::istreambuf_iterator<char>());
    if (clip.empty() || static_cast<std::int64_t>(clip.size()) > bytes)
        throw std::runtime_error("the FLV clip is empty or larger than the media size");
    fs::create_directories(root + "/media");
    const std::string path = MediaPath(root, id);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    try {
        WriteAll(fd, clip.data(), clip.size(), path);
        const std::vector<char> zeros(kChunk, 0);
        for (std::int64_t left = bytes - static_cast<std::int64_t>(clip.size()); left > 0;) {
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
} // namespace MediaFixture
