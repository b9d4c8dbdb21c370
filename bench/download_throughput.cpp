// Download throughput as users meet it. nginx (sendfile, no access log)
// serves a Metacafe watch page and a large media file that starts with a
// real FLV on 127.0.0.1; the site's host is routed to it with
// ZORV_CONNECT_TO. Then, in the same run:
//   - zorv-get as a whole process (page, media, identification, history)
//     against curl fetching the media alone from the same server,
//     alternately, N pairs: the median whole-job throughput ratio
//     zorv-get/curl, each run's seconds and zorv-get's peak RSS;
//   - the worker inside a real batch (Enqueue + Start, live stop poll) at a
//     small and a large size, each in a fresh process: throughput and peak
//     RSS of both, and their difference.
// Settings, history and log live in temporary folders (XDG_CONFIG_HOME,
// XDG_DATA_HOME, HOME). Nothing is asserted: it prints figures.
//
//   cmake --build build --target download_throughput   (builds zorv-get too)
//   build/bin/download_throughput                       (1 GiB, 5 pairs, 64 MiB + 1 GiB worker)
//   build/bin/download_throughput --size-mib 64 --pairs 1 --worker-mib 16,64   (a quick run)

#include "support/ChildProcess.h"
#include "support/MediaFixture.h"
#include "support/NginxServer.h"
#include "support/RunChecks.h"
#include "support/StopSignals.h"
#include "support/WorkerBatch.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
struct Options {
    int sizeMib = 1024;
    int pairs = 5;
    int workerSmallMib = 64;
    int workerLargeMib = 1024;
    bool runPairs = true;
    bool runWorker = true;
    std::string zorvGet;
};

struct Tools {
    std::string nginx, curl, ffmpeg, mplayer, zorvGet, self;
};

struct Folders {
    std::string root, prefix, out, logs;
};

const char* const kUsage =
    "Usage: download_throughput [--size-mib N] [--pairs N] [--worker-mib SMALL,LARGE]\n"
    "                           [--no-pairs] [--no-worker] [--zorv-get PATH]\n"
    "  --size-mib N        media size of the zorv-get/curl pairs (default 1024)\n"
    "  --pairs N           zorv-get/curl pairs (default 5)\n"
    "  --worker-mib S,L    media sizes of the two worker batches (default 64,1024)\n"
    "  --no-pairs          skip the zorv-get/curl pairs\n"
    "  --no-worker         skip the worker batches\n"
    "  --zorv-get PATH     the program to measure (default: zorv-get next to this one)\n"
    "Needs nginx (apt-get install -y nginx-light), curl, ffmpeg and mplayer.\n";

std::string Id(int mib) {
    return "bench" + std::to_string(mib);
}

// 0 on success, 2 with the complaint printed.
int ParseOptions(int argc, char** argv, Options& o) {
    const auto flag = [](bool& value) { // a --no-… option
        return [&value](const char*) {
            value = false;
            return true;
        };
    };
    const int bad =
        ParseBenchOptions("download_throughput", argc, argv, kUsage,
                          {{"--size-mib", true, [&](const char* v) { return ParsePositive(v, o.sizeMib); }},
                           {"--pairs", true, [&](const char* v) { return ParsePositive(v, o.pairs); }},
                           {"--worker-mib", true,
                            [&](const char* v) {
                                const std::string sizes = v;
                                const size_t comma = sizes.find(',');
                                return comma != std::string::npos &&
                                       ParsePositive(sizes.substr(0, comma).c_str(), o.workerSmallMib) &&
                                       ParsePositive(sizes.substr(comma + 1).c_str(), o.workerLargeMib);
                            }},
                           {"--zorv-get", true,
                            [&](const char* v) {
                                o.zorvGet = v;
                                return true;
                            }},
                           {"--no-pairs", false, flag(o.runPairs)},
                           {"--no-worker", false, flag(o.runWorker)}});
    if (bad)
        return bad;
    if (!o.runPairs && !o.runWorker) {
        std::fprintf(stderr, "download_throughput: --no-pairs and --no-worker leave nothing to run\n");
        return 2;
    }
    return 0;
}

// Every program the run needs, or a message naming the missing ones.
bool FindTools(const Options& o, Tools& t) {
    t.self = SelfPath();
    if (t.self.empty()) {
        std::fprintf(stderr, "download_throughput: cannot read /proc/self/exe (this program's own path)\n");
        return false;
    }
    return FindPrograms(
        "download_throughput",
        {{&t.nginx, "nginx", "nginx (apt-get install -y nginx-light, or bash scripts/install-deps.sh)"},
         {&t.curl, "curl", "curl (apt-get install -y curl)"},
         {&t.ffmpeg, "ffmpeg", "ffmpeg (apt-get install -y ffmpeg): makes the FLV clip"},
         {&t.mplayer, "mplayer",
          "mplayer (apt-get install -y mplayer): zorv-get identifies every download with it"},
         {&t.zorvGet, ZorvGetPath(o.zorvGet), "zorv-get (build the zorv-get target, or pass --zorv-get PATH)",
          o.runPairs}});
}

double Mib(long kib) {
    return double(kib) / 1024.0;
}

void RunPairs(const Options& o, const Tools& t, const Folders& f) {
    const std::string page = MediaFixture::PageUrl(Id(o.sizeMib));
    const std::string media = MediaFixture::MediaUrl(Id(o.sizeMib));
    const std::string connectTo = std::getenv("ZORV_CONNECT_TO");
    const std::int64_t bytes = MibBytes(o.sizeMib);
    std::printf("\nzorv-get -q -o DIR %s\n  against curl -s -o FILE %s (same server, same file)\n",
                page.c_str(), media.c_str());
    std::vector<double> ratios, zorvSeconds, curlSeconds;
    long zorvPeak = 0, zorvOwnPeak = 0;
    for (int i = 1; i <= o.pairs; ++i) {
        const ChildOutcome z =
            Timed({t.zorvGet, "-q", "-o", f.out, page}, f.logs + "/zorv-get.log", "zorv-get", true);
        TakeOutput(f.out, bytes, "zorv-get");
        if (i == 1) // its result line shows what identification made of the file
            std::printf("  zorv-get printed: %s", ReadText(f.logs + "/zorv-get.log").c_str());
        const ChildOutcome c = Timed(
            {t.curl, "-q", "-s", "-S", "-f", "--connect-to", connectTo, "-o", f.out + "/curl.flv", media},
            f.logs + "/curl.log", "curl", true); // sampled too: both runs bear the same watcher
        TakeOutput(f.out, bytes, "curl");
        const double ratio = c.seconds / z.seconds;
        ratios.push_back(ratio);
        zorvSeconds.push_back(z.seconds);
        curlSeconds.push_back(c.seconds);
        zorvPeak = std::max(zorvPeak, z.maxRssKiB);
        zorvOwnPeak = std::max(zorvOwnPeak, z.sampledPeakKiB);
        std::printf("  pair %d: zorv-get %.3f s (%.1f MiB/s, peak RSS %.1f MiB, own %.1f MiB)  curl %.3f s "
                    "(%.1f MiB/s)  ratio %.3f\n",
                    i, z.seconds, MiBps(o.sizeMib, z.seconds), Mib(z.maxRssKiB), Mib(z.sampledPeakKiB),
                    c.seconds, MiBps(o.sizeMib, c.seconds), ratio);
        std::fflush(stdout);
    }
    // wait4 reports the larger of zorv-get's own peak and that of the media
    // player it ran to identify the file; the player alone shows which.
    const ChildOutcome identify = RunToEnd({t.mplayer, f.root + "/media/" + Id(o.sizeMib) + ".flv", "-frames",
                                            "0", "-vo", "null", "-ao", "null", "-identify"},
                                           f.logs + "/mplayer.log");
    std::printf("median seconds: zorv-get %.3f, curl %.3f\n", Median(zorvSeconds), Median(curlSeconds));
    std::printf(
        "zorv-get peak RSS, highest of %d runs: wait4 ru_maxrss %.1f MiB (%ld KiB; mplayer identifying "
        "the same file alone: %.1f MiB); zorv-get's own VmHWM sampled every 5 ms: %.1f MiB (%ld KiB)\n",
        o.pairs, Mib(zorvPeak), zorvPeak, Mib(identify.maxRssKiB), Mib(zorvOwnPeak), zorvOwnPeak);
    std::printf("zorv-get/curl median throughput ratio (%d MiB, %d pairs): %.2f\n", o.sizeMib, o.pairs,
                Median(ratios));
    std::fflush(stdout);
}

void RunWorker(const Options& o, const Tools& t, const Folders& f) {
    std::printf("\nworker batch (Enqueue + Start, stop poll live, until UM_DOWNLOAD_ALL_DONE), one process "
                "per run\n");
    long peaks[2] = {0, 0};
    const int sizes[2] = {o.workerSmallMib, o.workerLargeMib};
    for (int i = 0; i < 2; ++i) {
        const std::string log = f.logs + "/worker.log";
        const ChildOutcome w = Timed({t.self, "--worker-batch", MediaFixture::PageUrl(Id(sizes[i])), f.out},
                                     log, "the worker batch");
        TakeOutput(f.out, MibBytes(sizes[i]), "the worker batch");
        double seconds = 0;
        std::istringstream lines(ReadText(log));
        for (std::string word; lines >> word;)
            if (word == "seconds")
                lines >> seconds;
        peaks[i] = w.maxRssKiB;
        std::printf(
            "  worker batch %d MiB: %.3f s (%.1f MiB/s), process %.3f s, peak RSS %.1f MiB (%ld KiB)\n",
            sizes[i], seconds, MiBps(sizes[i], seconds), w.seconds, Mib(w.maxRssKiB), w.maxRssKiB);
        std::fflush(stdout);
    }
    std::printf("worker peak RSS: %d MiB run %ld KiB, %d MiB run %ld KiB, difference %+ld KiB (%+.1f MiB)\n",
                sizes[0], peaks[0], sizes[1], peaks[1], peaks[1] - peaks[0], Mib(peaks[1] - peaks[0]));
}

void Run(const Options& o, const Tools& t) {
    QTemporaryDir temp(QDir::tempPath() + "/zorv-throughput-XXXXXX");
    if (!temp.isValid())
        throw std::runtime_error("cannot create a temporary folder under " + QDir::tempPath().toStdString());
    const std::string base = temp.path().toStdString();
    const Folders f{base + "/root", base + "/nginx", base + "/out", base + "/logs"};
    for (const std::string& d : {f.root, f.prefix, f.out, f.logs})
        fs::create_directories(d);
    UseTemporaryHome(base);

    std::set<int> sizes;
    if (o.runPairs)
        sizes.insert(o.sizeMib);
    if (o.runWorker)
        sizes.insert({o.workerSmallMib, o.workerLargeMib});
    std::int64_t needed = MibBytes(*sizes.rbegin()) + (std::int64_t(256) << 20);
    for (int mib : sizes)
        needed += MibBytes(mib);
    struct statvfs fsInfo {};
    if (::statvfs(base.c_str(), &fsInfo) == 0 && std::int64_t(fsInfo.f_bavail * fsInfo.f_frsize) < needed)
        throw std::runtime_error("not enough free space under " + base + ": " + std::to_string(needed >> 20) +
                                 " MiB needed");

    std::printf("making the media (%zu file(s), largest %d MiB) under %s\n", sizes.size(), *sizes.rbegin(),
                base.c_str());
    std::fflush(stdout);
    const std::string clip = base + "/clip.flv";
    MediaFixture::MakeClip(t.ffmpeg, clip, f.logs + "/ffmpeg.log");
    for (int mib : sizes) {
        MediaFixture::WriteMedia(clip, f.root, Id(mib), MibBytes(mib));
        MediaFixture::WritePage(f.root, Id(mib));
    }

    NginxServer server(t.nginx, f.prefix, f.root);
    server.Start();
    const std::string connectTo =
        std::string(MediaFixture::kHost) + ":80:127.0.0.1:" + std::to_string(server.Port());
    ::setenv("ZORV_CONNECT_TO", connectTo.c_str(), 1);
    std::printf("nginx %s on 127.0.0.1:%d; ZORV_CONNECT_TO=%s\n", t.nginx.c_str(), server.Port(),
                connectTo.c_str());

    // One untimed read of every file first: both sides then read from the
    // page cache, and a broken server shows here.
    for (int mib : sizes)
        Timed({t.curl, "-q", "-s", "-S", "-f", "--connect-to", connectTo, "-o", "/dev/null",
               MediaFixture::MediaUrl(Id(mib))},
              f.logs + "/warm-up.log", "curl (warm-up)");

    if (o.runPairs)
        RunPairs(o, t, f);
    if (o.runWorker)
        RunWorker(o, t, f);
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--worker-batch")
        return RunWorkerBatch(argv[2], argv[3]);

    Options options;
    if (const int bad = ParseOptions(argc, argv, options))
        return bad;
    Tools tools;
    if (!FindTools(options, tools))
        return 2;
    return RunStoppable("download_throughput", [&] { Run(options, tools); });
}
