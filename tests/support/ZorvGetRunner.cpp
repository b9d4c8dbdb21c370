#include "support/ZorvGetRunner.h"

#include "sitesim/SiteSimulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>

#include <csignal>

QStringList ZorvGetRun::OutLines() const {
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

ZorvGetRunner::ZorvGetRunner(const QString& home, const SiteSimulator& sim) : home_(home) {
    QDir().mkpath(home + "/config");
    QDir().mkpath(home + "/data");
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("HOME", home);
    env_.insert("XDG_CONFIG_HOME", home + "/config");
    env_.insert("XDG_DATA_HOME", home + "/data");
    env_.insert("ZORV_CONNECT_TO", sim.ConnectToValue());
    env_.insert("ZORV_CA_BUNDLE", sim.CaBundlePath());
    env_.insert("LC_ALL", "C.UTF-8");
}

namespace {
void StartZorvGet(QProcess& process, const QProcessEnvironment& env, const QStringList& arguments) {
    process.setProcessEnvironment(env);
    process.setProgram(QString::fromLocal8Bit(qgetenv("ZORV_TEST_BINARY_DIR")) + "/bin/zorv-get");
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
}
} // namespace

ZorvGetRun ZorvGetRunner::RunAndTerminate(const QStringList& arguments, const QString& trigger) const {
    return RunAndSignal(arguments, trigger, {SIGTERM});
}

ZorvGetRun ZorvGetRunner::RunAndSignal(const QStringList& arguments, const QString& trigger,
                                       const std::vector<int>& signals, int occurrences) const {
    QProcess process;
    StartZorvGet(process, env_, arguments);
    QByteArray out;
    while (out.count(trigger.toUtf8()) < occurrences && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    // A program that ended before the trigger has no id any more: kill(0)
    // would signal this test's own process group.
    const pid_t pid = static_cast<pid_t>(process.processId());
    for (int signal : signals)
        if (pid > 0)
            ::kill(pid, signal);
    ZorvGetRun run;
    const bool finished = process.waitForFinished(30000);
    run.msAfterSignal = sinceSignal.elapsed();
    if (!finished) {
        process.kill();
        process.waitForFinished();
        run.err = "zorv-get did not stop";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(out + process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ZorvGetRun ZorvGetRunner::RunAndSignalWhen(const QStringList& arguments, const std::function<bool()>& ready,
                                           int signal) const {
    QProcess process;
    StartZorvGet(process, env_, arguments);
    process.waitForStarted();
    QElapsedTimer waited;
    waited.start();
    while (!ready() && process.state() != QProcess::NotRunning && waited.elapsed() < 60000)
        process.waitForFinished(10);
    const pid_t pid = static_cast<pid_t>(process.processId());
    if (pid > 0)
        ::kill(pid, signal);
    ZorvGetRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        run.err = "zorv-get did not stop";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ZorvGetRun ZorvGetRunner::Run(const QStringList& arguments, int timeoutMs) const {
    QProcess process;
    StartZorvGet(process, env_, arguments);
    ZorvGetRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "zorv-get did not finish";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void ZorvGetRunner::SetSetting(const QString& key, const QVariant& value) const {
    QSettings settings(home_ + "/config/Quillmere/Zorv YouTube Downloader.conf", QSettings::NativeFormat);
    settings.setValue(key, value);
    settings.sync();
}

QString ZorvGetRunner::DataFolder() const {
    return home_ + "/data/Zorv YouTube Downloader";
}
