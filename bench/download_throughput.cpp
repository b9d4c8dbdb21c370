// Media download throughput and memory: the worker's download path against
// the curl program, both fetching the same generated file from the same
// loopback server in this run. Prints the throughput ratio worker/curl and
// the worker's peak resident memory for each size (measured in a forked
// child per run, so sizes do not share a high-water mark).
//
// Targets: ratio >= 0.90; peak memory independent of the file size (the two
// sizes within 5 MiB of each other).

#include "retrieval/DownloadWorker.h"

#include "support/LoopbackServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct ChildResult {
    double seconds = 0;
    long hwmBeforeKb = 0;
    long hwmAfterKb = 0;
    int result = -1;
};

long VmHwmKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Downloads `url` into `path` with the worker's media path in a fresh child.
ChildResult WorkerDownload(const QString& url, const QString& path) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        ChildResult r;
        {
            QueueMessageTarget target;
            DownloadWorker worker(&target);
            worker.tempPath = path;
            r.hwmBeforeKb = VmHwmKb();
            const auto start = std::chrono::steady_clock::now();
            r.result = worker.DownloadMedia(url);
            r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            r.hwmAfterKb = VmHwmKb();
        }
        (void)!write(fds[1], &r, sizeof r);
        _exit(0);
    }
    close(fds[1]);
    ChildResult r;
    if (read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r))
        r.result = -1;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return r;
}

// curl's own transfer time (connection included, process start-up not).
double CurlDownload(const QString& url, const QString& path) {
    QProcess curl;
    curl.start("curl", {"-s", "-S", "-o", path, "-w", "%{time_total}", url});
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
        std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
        return -1;
    }
    return curl.readAllStandardOutput().trimmed().toDouble();
}
} // namespace

int main() {
    QTemporaryDir dir(QDir::tempPath() + "/zorv-bench-XXXXXX"); // under /tmp; removed on exit
    if (!dir.isValid())
        return 1;
    LoopbackServer server;
    const struct {
        const char* label;
        qint64 bytes;
    } sizes[] = {{"64 MiB", 64LL << 20}, {"1 GiB", 1LL << 30}};
    for (const auto& s : sizes)
        server.ServeGenerated("/" + std::to_string(s.bytes) + ".flv", s.bytes);

    constexpr int kRuns = 3;
    std::printf("%-8s %12s %12s %8s %16s %16s\n", "size", "worker MB/s", "curl MB/s", "ratio",
                "peak RSS (KiB)", "RSS growth (KiB)");
    long peaks[2] = {0, 0};
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        const qint64 bytes = sizes[i].bytes;
        const QString url = server.Url(QStringLiteral("/%1.flv").arg(bytes));
        const QString workerFile = dir.filePath("worker.flv.qxt");
        const QString curlFile = dir.filePath("curl.flv");
        double bestWorker = 1e9, bestCurl = 1e9;
        long peak = 0, growth = 0;
        for (int run = 0; run < kRuns; ++run) {
            const ChildResult w = WorkerDownload(url, workerFile);
            if (w.result != 0 || QFileInfo(workerFile).size() != bytes) {
                std::fprintf(stderr, "worker download failed (%d)\n", w.result);
                ok = false;
                break;
            }
            QFile::remove(workerFile);
            bestWorker = std::min(bestWorker, w.seconds);
            peak = std::max(peak, w.hwmAfterKb);
            growth = std::max(growth, w.hwmAfterKb - w.hwmBeforeKb);
            const double c = CurlDownload(url, curlFile);
            QFile::remove(curlFile);
            if (c <= 0) {
                ok = false;
                break;
            }
            bestCurl = std::min(bestCurl, c);
        }
        if (!ok)
            break;
        peaks[i] = peak;
        const double mb = static_cast<double>(bytes) / 1e6;
        std::printf("%-8s %12.1f %12.1f %8.3f %16ld %16ld\n", sizes[i].label, mb / bestWorker, mb / bestCurl,
                    bestCurl / bestWorker, peak, growth);
    }
    if (ok)
        std::printf("peak RSS difference 1 GiB - 64 MiB: %ld KiB (target within 5120 KiB)\n",
                    peaks[1] - peaks[0]);
    return ok ? 0 : 1;
}
