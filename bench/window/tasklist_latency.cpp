// The window's answer time while a download runs: a thread sends a call to
// the task list's thread every 25 ms and times the answer, first with the
// window idle (the reference), then while a trickling download (about
// 100 KB/s, progress after every block) runs. Prints both, their ratio, and
// whether the slowest answer stayed within 200 ms.
//
// Usage: tasklist_latency [SECONDS] - each phase's length (1 to 60, default 10).
#include "app/tasklist/TaskListHarness.h"

#include "support/LoopbackServer.h"
#include "support/WindowProbe.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Figures {
    size_t answered = 0;
    double medianMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
};

Figures Summarise(std::vector<long long> us) {
    Figures f;
    f.answered = us.size();
    if (us.empty())
        return f;
    std::sort(us.begin(), us.end());
    f.medianMs = us[us.size() / 2] / 1000.0;
    f.p99Ms = us[std::min(us.size() - 1, us.size() * 99 / 100)] / 1000.0;
    f.maxMs = us.back() / 1000.0;
    return f;
}

// Probes the window for `seconds` while its thread runs its event loop.
Figures Probe(QObject* window, int seconds) {
    WindowProbe probe(window);
    QEventLoop loop;
    QTimer::singleShot(std::chrono::seconds(seconds), &loop, &QEventLoop::quit);
    loop.exec();
    return Summarise(probe.Samples());
}

void Print(const char* what, const Figures& f) {
    std::printf("%-22s %6zu answers  median %8.3f ms  p99 %8.3f ms  max %8.3f ms\n", what, f.answered,
                f.medianMs, f.p99Ms, f.maxMs);
}

QByteArray WatchPage(const QString& media) {
    return QStringLiteral("<html><head><title>Trickle</title></head><body>\n"
                          "<embed flashvars=\"a=1&mediaURL=%1&postRollContentURL=x\">\n</body></html>")
        .arg(media)
        .toUtf8();
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 60) : 10;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    LoopbackServer server;
    server.ServeBody("/watch/77/trickle/", WatchPage("http%3A%2F%2Fv.mccont.com%2Fitem%2Ftrickle.flv"));
    // About 100 KB/s; one per mille every 12 KB, so several progress updates
    // a second, and far from done after the longest phase.
    server.ServeSlow("/item/trickle.flv", 12 * 1000 * 1000, 1024, 10);
    qputenv("ZORV_CONNECT_TO",
            (server.ConnectTo("www.metacafe.com") + ',' + server.ConnectTo("v.mccont.com")).toUtf8());

    int status = 0;
    {
        TaskListHarness h(folder.path());
        const Figures idle = Probe(&h.List(), seconds);

        int progress = 0;
        QObject::connect(h.List().Model(), &TaskListModel::dataChanged,
                         [&](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                             progress += roles.contains(TaskListModel::ProgressRole);
                         });
        h.List().AddUrlTask(QStringLiteral("http://www.metacafe.com/watch/77/trickle/"));
        h.List().StartAll();
        if (!WaitOnWindow([&] { return h.Model().IsProgressOn(0); })) {
            std::fprintf(stderr, "the download did not start\n");
            return 1;
        }
        const Figures busy = Probe(&h.List(), seconds);
        const bool running = h.List().IsDownloading() && h.Model().IsProgressOn(0);
        h.List().Stop();
        WaitOnWindow([&] { return !h.List().IsDownloading(); });

        std::printf("window event round trip, %d s per phase (probe every 25 ms)\n", seconds);
        Print("idle (reference)", idle);
        Print("during a download", busy);
        std::printf("progress updates during the download: %d%s\n", progress,
                    running ? "" : " (the download ended early)");
        const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
        std::printf("ratio download/idle: median %.2f  p99 %.2f  max %.2f\n", ratio(busy.medianMs, idle.medianMs),
                    ratio(busy.p99Ms, idle.p99Ms), ratio(busy.maxMs, idle.maxMs));
        const bool within = busy.maxMs < 200.0;
        std::printf("slowest answer during the download: %.3f ms, %s the 200 ms bound\n", busy.maxMs,
                    within ? "within" : "OVER");
        if (!running || !within)
            status = 1;
    }
    qunsetenv("ZORV_CONNECT_TO");
    return status;
}
