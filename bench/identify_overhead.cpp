// Cost of identification through IdentifyMedia against running the same
// mplayer command directly (posix_spawn, read the pipe to its end, waitpid)
// on the same file in the same run. Prints the ratio; the aim is <= 1.10.
#include "mediatools/IdentifyMedia.h"
#include "mediatools/ToolFolders.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The reference: the bare minimum a caller must do to run mplayer and
// collect what it prints.
bool RunDirect(const QStringList& argv, QByteArray& output) {
    int out[2], in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0)
        return false;
    std::vector<QByteArray> encoded;
    for (const QString& arg : argv)
        encoded.push_back(QFile::encodeName(arg));
    std::vector<char*> args;
    for (QByteArray& arg : encoded)
        args.push_back(arg.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(in[0]);
    if (rc != 0) {
        close(out[0]);
        close(in[1]);
        return false;
    }
    char buffer[4096];
    ssize_t n;
    output.clear();
    while ((n = read(out[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, n);
    close(out[0]);
    close(in[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    return output.contains("ID_VIDEO_FORMAT=");
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString file = dir.filePath("bench.flv");
    const int made = QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                                  "testsrc=size=320x240:rate=25:duration=3", "-f", "lavfi",
                                                  "-i", "sine=frequency=440:sample_rate=22050:duration=3",
                                                  "-c:v", "flv1", "-c:a", "libmp3lame", "-shortest", file});
    if (made != 0) {
        std::fprintf(stderr, "ffmpeg could not make the test file\n");
        return 1;
    }
    const QStringList argv{FindMPlayer(), file, "-frames", "0", "-vo", "null", "-ao", "null", "-identify"};

    const int rounds = 20;
    double identifySeconds = 0, directSeconds = 0;
    QByteArray output;
    for (int round = -2; round < rounds; ++round) { // two warm-up rounds
        MediaInfo info;
        auto start = Clock::now();
        if (IdentifyMedia(file, info) != 1) {
            std::fprintf(stderr, "identification failed\n");
            return 1;
        }
        const double identify = std::chrono::duration<double>(Clock::now() - start).count();
        start = Clock::now();
        if (!RunDirect(argv, output)) {
            std::fprintf(stderr, "direct run failed\n");
            return 1;
        }
        const double direct = std::chrono::duration<double>(Clock::now() - start).count();
        if (round >= 0) {
            identifySeconds += identify;
            directSeconds += direct;
        }
    }
    std::printf("identify_overhead: %d rounds, IdentifyMedia %.1f ms, direct mplayer %.1f ms per file\n",
                rounds, identifySeconds * 1000 / rounds, directSeconds * 1000 / rounds);
    std::printf("ratio IdentifyMedia / direct = %.3f (target <= 1.10)\n", identifySeconds / directSeconds);
    return 0;
}
