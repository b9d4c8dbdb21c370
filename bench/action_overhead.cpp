// Time of a media action as users run it, against ffmpeg alone. nginx (no
// access log) on 127.0.0.1 serves a Metacafe watch page whose media is a real
// five-minute FLV (640x360 Sorenson video, MP3 sound), routed in by
// ZORV_CONNECT_TO.
// Then, alternately, N pairs:
//   - zorv-get -q -o DIR --convert mp4 --keep-original PAGE as a whole
//     process: the download, its identification and history row, the
//     conversion through ffmpeg, the result's identification and history row;
//   - the very ffmpeg command line zorv-get logged for its conversion, run
//     alone on a copy of the downloaded file;
// each run's seconds, each result checked (an MP4 that mplayer reads as
// H.264 of the clip's length) and removed before the next run, and the
// median time ratio zorv-get/ffmpeg.
// Settings, history and log live in temporary folders (XDG_CONFIG_HOME,
// XDG_DATA_HOME, HOME); both sides run the ffmpeg found on PATH.
// Nothing is asserted: it prints figures, and ends with status 1 when
// zorv-get did not make the file.
//
//   cmake --build build --target action_overhead   (builds zorv-get too)
//   build/bin/action_overhead                      (a 5-minute clip, 9 pairs)
//   build/bin/action_overhead --minutes 1 --pairs 1   (a quick run)

#include "support/ChildProcess.h"
#include "support/MediaFixture.h"
#include "support/NginxServer.h"
#include "support/RunChecks.h"
#include "support/StopSignals.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr const char* kId = "5000001";

struct Options {
    int minutes = 5;
    int pairs = 9; // ffmpeg's own time varies by a tenth from run to run
    std::string zorvGet;
};

struct Tools {
    std::string nginx, ffmpeg, mplayer, zorvGet;
};

struct Folders {
    std::string base, root, prefix, out, logs;
};

const char* const kUsage =
    "Usage: action_overhead [--minutes N] [--pairs N] [--zorv-get PATH]\n"
    "  --minutes N         length of the served clip (default 5)\n"
    "  --pairs N           zorv-get/ffmpeg pairs (default 9)\n"
    "  --zorv-get PATH     the program to measure (default: zorv-get next to this one)\n"
    "Needs nginx (apt-get install -y nginx-light), ffmpeg and mplayer.\n";

int ParseOptions(int argc, char** argv, Options& o) {
    return ParseBenchOptions("action_overhead", argc, argv, kUsage,
                             {{"--minutes", true, [&](const char* v) { return ParsePositive(v, o.minutes); }},
                              {"--pairs", true, [&](const char* v) { return ParsePositive(v, o.pairs); }},
                              {"--zorv-get", true, [&](const char* v) {
                                   o.zorvGet = v;
                                   return true;
                               }}});
}

bool FindTools(const Options& o, Tools& t) {
    return FindPrograms(
        "action_overhead",
        {{&t.nginx, "nginx", "nginx (apt-get install -y nginx-light, or bash scripts/install-deps.sh)"},
         {&t.ffmpeg, "ffmpeg", "ffmpeg (apt-get install -y ffmpeg): makes the clip, and is the reference"},
         {&t.mplayer, "mplayer",
          "mplayer (apt-get install -y mplayer): zorv-get identifies every file with it"},
         {&t.zorvGet, ZorvGetPath(o.zorvGet),
          "zorv-get (build the zorv-get target, or pass --zorv-get PATH)"}});
}

// The clip's length in seconds as mplayer reads it, and its video codec.
std::pair<double, std::string> Identify(const Tools& t, const std::string& path, const std::string& log) {
    RunToEnd({t.mplayer, path, "-frames", "0", "-vo", "null", "-ao", "null", "-identify"}, log);
    const std::string text = ReadText(log);
    const auto value = [&text](const std::string& key) {
        const size_t at = text.rfind(key);
        return at == std::string::npos ? std::string()
                                       : text.substr(at + key.size(), text.find('\n', at) - at - key.size());
    };
    return {std::strtod(value("ID_LENGTH=").c_str(), nullptr), value("ID_VIDEO_FORMAT=")};
}

// Throws unless `path` is an H.264 file of the clip's length.
void CheckResult(const Tools& t, const Folders& f, const std::string& path, double seconds, const char* who) {
    const auto [length, format] = Identify(t, path, f.logs + "/mplayer.log");
    if (length < seconds - 1 || length > seconds + 1 || format != "H264")
        throw std::runtime_error(std::string(who) + " did not make an H.264 file of " +
                                 std::to_string(seconds) + " s at " + path +
                                 " (mplayer: " + std::to_string(length) + " s, " + format + ")");
}

// The ffmpeg command zorv-get logged last for a conversion: its arguments.
QStringList LoggedConversion(const Folders& f) {
    QString line;
    QDirIterator logs(QString::fromStdString(f.base + "/data"), {QStringLiteral("*.log")}, QDir::Files,
                      QDirIterator::Subdirectories);
    while (logs.hasNext()) {
        std::ifstream in(logs.next().toStdString());
        for (std::string l; std::getline(in, l);)
            if (const size_t at = l.find("Running \"");
                at != std::string::npos && l.find("ffmpeg") != std::string::npos)
                line = QString::fromStdString(l.substr(at + 8));
    }
    return QProcess::splitCommand(line);
}

void RunPairs(const Options& o, const Tools& t, const Folders& f) {
    const std::string page = MediaFixture::PageUrl(kId);
    const std::string original = f.out + "/MetaCafe/" + kId + ".flv";
    const std::string converted = f.out + "/MetaCafe/" + kId + ".mp4";
    const std::string input = f.base + "/reference-input.flv";
    const std::string reference = f.base + "/reference.mp4";
    const double seconds = o.minutes * 60.0;
    std::printf(
        "\nzorv-get -q -o DIR --convert mp4 --keep-original %s\n  against the ffmpeg command it logged, "
        "alone (%d-minute clip, %d pairs)\n",
        page.c_str(), o.minutes, o.pairs);
    std::fflush(stdout);
    std::vector<double> ratios, zorvSeconds, ffmpegSeconds;
    for (int i = 1; i <= o.pairs; ++i) {
        fs::remove_all(f.out);
        fs::create_directories(f.out);
        const ChildOutcome z =
            Timed({t.zorvGet, "-q", "-o", f.out, "--convert", "mp4", "--keep-original", page},
                  f.logs + "/zorv-get.log", "zorv-get");
        if (!fs::exists(converted) || !fs::exists(original))
            throw std::runtime_error("zorv-get did not make " + converted + ": " +
                                     LastLine(f.logs + "/zorv-get.log") + "\nno ratio printed");
        CheckResult(t, f, converted, seconds, "zorv-get");

        // The same command on a copy of the same download, into a name of its own.
        QStringList args = LoggedConversion(f);
        const qsizetype in = args.indexOf(QStringLiteral("-i"));
        if (args.size() < 4 || in < 0 || in + 1 >= args.size())
            throw std::runtime_error("zorv-get's log names no ffmpeg conversion");
        fs::copy_file(original, input, fs::copy_options::overwrite_existing);
        args[in + 1] = QString::fromStdString(input);
        args.last() = QString::fromStdString(reference);
        std::vector<std::string> argv{t.ffmpeg};
        for (qsizetype k = 1; k < args.size(); ++k)
            argv.push_back(args[k].toStdString());
        if (i == 1) {
            std::string shown;
            for (const std::string& a : argv)
                shown += (shown.empty() ? "" : " ") + a;
            std::printf("  reference: %s\n", shown.c_str());
        }
        ::sync();
        const ChildOutcome r = Timed(argv, f.logs + "/ffmpeg.log", "ffmpeg");
        CheckResult(t, f, reference, seconds, "ffmpeg");
        fs::remove(reference);

        const double ratio = r.seconds > 0 ? z.seconds / r.seconds : 0;
        ratios.push_back(ratio);
        zorvSeconds.push_back(z.seconds);
        ffmpegSeconds.push_back(r.seconds);
        std::printf("  pair %d: zorv-get %.3f s  ffmpeg %.3f s  ratio %.3f\n", i, z.seconds, r.seconds,
                    ratio);
        std::fflush(stdout);
    }
    std::printf("median seconds: zorv-get %.3f, ffmpeg %.3f\n", Median(zorvSeconds), Median(ffmpegSeconds));
    std::printf("zorv-get/ffmpeg median time ratio (%d-minute clip, %d pairs): %.3f\n", o.minutes, o.pairs,
                Median(ratios));
    std::printf("target: at most 1.05\n");
    std::fflush(stdout);
}

void Run(const Options& o, const Tools& t) {
    QTemporaryDir temp(QDir::tempPath() + "/zorv-action-overhead-XXXXXX");
    if (!temp.isValid())
        throw std::runtime_error("cannot create a temporary folder under " + QDir::tempPath().toStdString());
    const std::string base = temp.path().toStdString();
    const Folders f{base, base + "/root", base + "/nginx", base + "/out", base + "/logs"};
    for (const std::string& d : {f.root, f.prefix, f.out, f.logs})
        fs::create_directories(d);
    UseTemporaryHome(base);

    std::printf("making the %d-minute clip under %s\n", o.minutes, base.c_str());
    std::fflush(stdout);
    MediaFixture::MakeClip(t.ffmpeg, MediaFixture::MediaFile(f.root, kId), f.logs + "/make-clip.log",
                           o.minutes * 60, "640x360");
    MediaFixture::WritePage(f.root, kId);

    NginxServer server(t.nginx, f.prefix, f.root);
    server.Start();
    const std::string connectTo =
        std::string(MediaFixture::kHost) + ":80:127.0.0.1:" + std::to_string(server.Port());
    ::setenv("ZORV_CONNECT_TO", connectTo.c_str(), 1);
    std::printf("nginx %s on 127.0.0.1:%d; ZORV_CONNECT_TO=%s; ffmpeg %s\n", t.nginx.c_str(), server.Port(),
                connectTo.c_str(), t.ffmpeg.c_str());
    RunPairs(o, t, f);
}
} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int bad = ParseOptions(argc, argv, options))
        return bad;
    Tools tools;
    if (!FindTools(options, tools))
        return 2;
    return RunStoppable("action_overhead", [&] { Run(options, tools); });
}
