// Start-up benchmark: time from process start to the main window shown,
// for the desktop program and for a minimal Qt Widgets program with an
// empty window, both on one private Xvfb display, alternating runs.
// Prints the medians and their ratio (target: at most 2x).
#include "support/XvfbDisplay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Milliseconds from starting `program` to its "shown" line; -1 on failure.
double TimeToShown(const QString& program, const QProcessEnvironment& env, bool* browser) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(program, {});
    QByteArray out;
    while (!out.contains("shown") && p.waitForReadyRead(30000))
        out += p.readAllStandardOutput();
    const double ms = out.contains("shown") ? timer.nsecsElapsed() / 1e6 : -1;
    if (browser)
        *browser = out.contains("browser=1");
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(5000);
    }
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    XvfbDisplay display;
    QString error;
    if (!display.Start(&error)) {
        std::fprintf(stderr, "startup: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.Name());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    const QString dir = QCoreApplication::applicationDirPath();
    const QString zorv = dir + QStringLiteral("/startup_zorv_probe");
    const QString empty = dir + QStringLiteral("/startup_empty_probe");

    // One untimed run of each fills the disk cache and creates the profile.
    TimeToShown(zorv, env, nullptr);
    TimeToShown(empty, env, nullptr);
    std::vector<double> zorvMs, emptyMs;
    bool browserLoaded = false;
    for (int i = 0; i < runs; ++i) {
        bool browser = false;
        const double z = TimeToShown(zorv, env, &browser);
        const double e = TimeToShown(empty, env, nullptr);
        if (z < 0 || e < 0) {
            std::fprintf(stderr, "startup: a probe did not show its window\n");
            return 1;
        }
        browserLoaded |= browser;
        zorvMs.push_back(z);
        emptyMs.push_back(e);
    }
    const double z = Median(zorvMs), e = Median(emptyMs);
    std::printf("main window shown:  %.1f ms (median of %d)\n", z, runs);
    std::printf("empty Qt window:    %.1f ms (median of %d)\n", e, runs);
    std::printf("embedded browser loaded at start-up: %s\n", browserLoaded ? "yes" : "no");
    std::printf("ratio: %.2fx (target <= 2x)\n", z / e);
    return 0;
}
