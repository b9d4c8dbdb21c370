// Download time of a page read through yt-dlp, as users meet it. nginx
// (sendfile, no access log) on 127.0.0.1 serves a plain HTML5 video page
// (title, og:title, og:video, a <video> element) and a large media file that
// is a real MP4 (a two-second clip padded with a trailing "free" box). Then,
// alternately, N pairs:
//   - zorv-get -o DIR PAGE as a whole process (metadata, the download
//     through yt-dlp, identification, history);
//   - yt-dlp --ignore-config --no-cache-dir -o FILE PAGE alone;
// each run's seconds, each file checked for the served size and removed
// before the next run, and the median time ratio zorv-get/yt-dlp.
// Settings, history and log live in temporary folders (XDG_CONFIG_HOME,
// XDG_DATA_HOME, HOME); both programs run the yt-dlp found on PATH.
// A virtual machine's disk makes either program's time vary by a quarter
// from run to run; TMPDIR=/dev/shm puts the served file and both programs'
// output in memory and leaves what the programs themselves cost.
// Nothing is asserted: it prints figures. When zorv-get cannot download the
// page it says so with zorv-get's last line and ends with status 1.
//
//   cmake --build build --target ytdlp_throughput   (builds zorv-get too)
//   build/bin/ytdlp_throughput                       (256 MiB, 9 pairs)
//   build/bin/ytdlp_throughput --size-mib 32 --pairs 1   (a quick run)
//   build/bin/ytdlp_throughput --no-zorv-get         (yt-dlp and the server alone)
//   TMPDIR=/dev/shm build/bin/ytdlp_throughput       (without the disk's noise)

#include "support/ChildProcess.h"
#include "support/MediaFixture.h"
#include "support/NginxServer.h"
#include "support/RunChecks.h"
#include "support/StopSignals.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <sys/statvfs.h>

namespace fs = std::filesystem;

namespace {
constexpr const char* kPagePath = "/page.html";
constexpr const char* kMediaPath = "/media.mp4";

struct Options {
    int sizeMib = 256;
    int pairs = 9; // yt-dlp's own time varies by a quarter from run to run
    bool runZorvGet = true;
    std::string zorvGet;
};

struct Tools {
    std::string nginx, curl, ffmpeg, mplayer, ytDlp, zorvGet;
};

struct Folders {
    std::string root, prefix, out, logs;
};

// zorv-get ran but did not leave the page's file: no ratio can be printed.
class ZorvGetFailed : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

const char* const kUsage =
    "Usage: ytdlp_throughput [--size-mib N] [--pairs N] [--no-zorv-get] [--zorv-get PATH]\n"
    "  --size-mib N        size of the served MP4 (default 256)\n"
    "  --pairs N           zorv-get/yt-dlp pairs (default 9)\n"
    "  --no-zorv-get       run yt-dlp alone N times (checks the server and the page; no ratio)\n"
    "  --zorv-get PATH     the program to measure (default: zorv-get next to this one)\n"
    "Needs nginx (apt-get install -y nginx-light), curl, ffmpeg, mplayer and yt-dlp.\n";

// 0 on success, 2 with the complaint printed.
int ParseOptions(int argc, char** argv, Options& o) {
    return ParseBenchOptions(
        "ytdlp_throughput", argc, argv, kUsage,
        {{"--size-mib", true, [&](const char* v) { return ParsePositive(v, o.sizeMib); }},
         {"--pairs", true, [&](const char* v) { return ParsePositive(v, o.pairs); }},
         {"--zorv-get", true,
          [&](const char* v) {
              o.zorvGet = v;
              return true;
          }},
         {"--no-zorv-get", false, [&](const char*) {
              o.runZorvGet = false;
              return true;
          }}});
}

// Every program the run needs, or a message naming the missing ones.
bool FindTools(const Options& o, Tools& t) {
    return FindPrograms(
        "ytdlp_throughput",
        {{&t.nginx, "nginx", "nginx (apt-get install -y nginx-light, or bash scripts/install-deps.sh)"},
         {&t.curl, "curl", "curl (apt-get install -y curl): reads the files once before the runs"},
         {&t.ffmpeg, "ffmpeg", "ffmpeg (apt-get install -y ffmpeg): makes the MP4 clip"},
         {&t.mplayer, "mplayer",
          "mplayer (apt-get install -y mplayer): zorv-get identifies every download with it"},
         {&t.ytDlp, "yt-dlp", "yt-dlp (apt-get install -y yt-dlp): the reference, and what zorv-get runs"},
         {&t.zorvGet, ZorvGetPath(o.zorvGet), "zorv-get (build the zorv-get target, or pass --zorv-get PATH)",
          o.runZorvGet}});
}

// One zorv-get run; throws ZorvGetFailed with its last line when it failed
// or left anything but the one file of the served size.
ChildOutcome RunZorvGet(const Tools& t, const Folders& f, const std::string& page, std::int64_t bytes) {
    const std::string log = f.logs + "/zorv-get.log";
    ::sync(); // the previous run's writes do not land in this one
    const ChildOutcome z = RunToEnd({t.zorvGet, "-o", f.out, page}, log);
    const std::string problem = CheckOutput(f.out, bytes);
    if (!z.Succeeded() || !problem.empty()) {
        std::string last = LastLine(log);
        if (last.empty())
            last = "(it printed nothing)";
        throw ZorvGetFailed("zorv-get could not download the page: " + last + "\n  (" + z.Describe() +
                            (problem.empty() ? std::string() : "; it left " + problem) +
                            ")\nno ratio printed");
    }
    return z;
}

ChildOutcome RunYtDlp(const Tools& t, const Folders& f, const std::string& page, std::int64_t bytes) {
    const ChildOutcome y =
        Timed({t.ytDlp, "--ignore-config", "--no-cache-dir", "-o", f.out + "/yt-dlp.mp4", page},
              f.logs + "/yt-dlp.log", "yt-dlp");
    TakeOutput(f.out, bytes, "yt-dlp");
    return y;
}

void RunPairs(const Options& o, const Tools& t, const Folders& f, const std::string& page) {
    const std::int64_t bytes = MibBytes(o.sizeMib);
    if (o.runZorvGet)
        std::printf("\nzorv-get -o DIR %s\n  against yt-dlp --ignore-config --no-cache-dir -o FILE %s\n"
                    "  (same server, same page, same file; %d MiB, %d pairs)\n",
                    page.c_str(), page.c_str(), o.sizeMib, o.pairs);
    else
        std::printf("\nyt-dlp --ignore-config --no-cache-dir -o FILE %s alone (%d MiB, %d runs)\n",
                    page.c_str(), o.sizeMib, o.pairs);
    std::fflush(stdout);
    std::vector<double> ratios, zorvSeconds, ytDlpSeconds;
    for (int i = 1; i <= o.pairs; ++i) {
        if (!o.runZorvGet) {
            const ChildOutcome y = RunYtDlp(t, f, page, bytes);
            ytDlpSeconds.push_back(y.seconds);
            std::printf("  run %d: yt-dlp %.3f s (%.1f MiB/s)\n", i, y.seconds, MiBps(o.sizeMib, y.seconds));
            std::fflush(stdout);
            continue;
        }
        const ChildOutcome z = RunZorvGet(t, f, page, bytes);
        if (i == 1) // its result line shows what identification made of the file
            std::printf("  zorv-get printed: %s\n", LastLine(f.logs + "/zorv-get.log").c_str());
        const ChildOutcome y = RunYtDlp(t, f, page, bytes);
        const double ratio = y.seconds > 0 ? z.seconds / y.seconds : 0;
        ratios.push_back(ratio);
        zorvSeconds.push_back(z.seconds);
        ytDlpSeconds.push_back(y.seconds);
        std::printf("  pair %d: zorv-get %.3f s (%.1f MiB/s)  yt-dlp %.3f s (%.1f MiB/s)  ratio %.3f\n", i,
                    z.seconds, MiBps(o.sizeMib, z.seconds), y.seconds, MiBps(o.sizeMib, y.seconds), ratio);
        std::fflush(stdout);
    }
    if (!o.runZorvGet) {
        std::printf("median seconds: yt-dlp %.3f (%.1f MiB/s); zorv-get not run, no ratio\n",
                    Median(ytDlpSeconds), MiBps(o.sizeMib, Median(ytDlpSeconds)));
        return;
    }
    std::printf("median seconds: zorv-get %.3f, yt-dlp %.3f\n", Median(zorvSeconds), Median(ytDlpSeconds));
    std::printf("zorv-get/yt-dlp median time ratio (%d MiB, %d pairs): %.2f\n", o.sizeMib, o.pairs,
                Median(ratios));
    std::printf("target: at most 1.10\n");
    std::fflush(stdout);
}

// The served file as zorv-get's identification will see it: mplayer must
// find the clip's length in it.
void IdentifyServedFile(const Tools& t, const Folders& f) {
    const std::string log = f.logs + "/mplayer.log";
    const std::string media = f.root + kMediaPath;
    const ChildOutcome run =
        RunToEnd({t.mplayer, media, "-frames", "0", "-vo", "null", "-ao", "null", "-identify"}, log);
    const std::string text = ReadText(log);
    std::string length, demuxer;
    for (const auto& [key, value] : {std::pair{"ID_LENGTH=", &length}, std::pair{"ID_DEMUXER=", &demuxer}})
        if (const size_t at = text.find(key); at != std::string::npos)
            *value =
                text.substr(at + std::string(key).size(), text.find('\n', at) - at - std::string(key).size());
    if (!run.Succeeded() || length.empty() || std::strtod(length.c_str(), nullptr) <= 0)
        throw std::runtime_error("mplayer does not identify the served MP4 (" + run.Describe() + "):\n" +
                                 text);
    std::printf("mplayer identifies the served file: demuxer %s, length %s s\n", demuxer.c_str(),
                length.c_str());
}

void Run(const Options& o, const Tools& t) {
    QTemporaryDir temp(QDir::tempPath() + "/zorv-ytdlp-throughput-XXXXXX");
    if (!temp.isValid())
        throw std::runtime_error("cannot create a temporary folder under " + QDir::tempPath().toStdString());
    const std::string base = temp.path().toStdString();
    const Folders f{base + "/root", base + "/nginx", base + "/out", base + "/logs"};
    for (const std::string& d : {f.root, f.prefix, f.out, f.logs})
        fs::create_directories(d);
    UseTemporaryHome(base);

    // The served file, one run's copy, and room for yt-dlp's work.
    const std::int64_t needed = 2 * MibBytes(o.sizeMib) + (std::int64_t(256) << 20);
    struct statvfs fsInfo {};
    if (::statvfs(base.c_str(), &fsInfo) == 0 && std::int64_t(fsInfo.f_bavail * fsInfo.f_frsize) < needed)
        throw std::runtime_error("not enough free space under " + base + ": " + std::to_string(needed >> 20) +
                                 " MiB needed");

    std::printf("making the %d MiB MP4 under %s\n", o.sizeMib, base.c_str());
    std::fflush(stdout);
    const std::string clip = base + "/clip.mp4";
    MediaFixture::MakeMp4Clip(t.ffmpeg, clip, f.logs + "/ffmpeg.log");
    MediaFixture::WriteMp4Media(clip, f.root + kMediaPath, MibBytes(o.sizeMib));

    NginxServer server(t.nginx, f.prefix, f.root);
    server.Start();
    const std::string origin = "http://127.0.0.1:" + std::to_string(server.Port());
    const std::string page = origin + kPagePath;
    MediaFixture::WriteVideoPage(f.root + kPagePath, origin, kPagePath, kMediaPath,
                                 "Benchmark clip " + std::to_string(o.sizeMib) + " MiB");
    std::printf("nginx %s on 127.0.0.1:%d; yt-dlp %s\n", t.nginx.c_str(), server.Port(), t.ytDlp.c_str());
    IdentifyServedFile(t, f);

    // One untimed read of both files first: every run then reads from the
    // page cache, and a broken server shows here.
    Timed({t.curl, "-q", "-s", "-S", "-f", "-o", "/dev/null", page, "-o", "/dev/null", origin + kMediaPath},
          f.logs + "/warm-up.log", "curl (warm-up)");

    RunPairs(o, t, f, page);
}
} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int bad = ParseOptions(argc, argv, options))
        return bad;
    Tools tools;
    if (!FindTools(options, tools))
        return 2;
    return RunStoppable("ytdlp_throughput", [&] { Run(options, tools); });
}
