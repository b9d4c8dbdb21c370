#pragma once
// Runs the zorv-get program as a user would, against an in-process site
// simulator, with its own home, settings and data folders.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class SiteSimulator;

struct ZorvGetRun {
    int exitCode = -1;
    qint64 msAfterSignal = -1; // from the (first) signal to the program's end
    QString out;
    QString err;
    QStringList OutLines() const;
};

class ZorvGetRunner {
  public:
    // `home` holds the settings, data and log folders of the runs.
    ZorvGetRunner(const QString& home, const SiteSimulator& sim);
    ZorvGetRun Run(const QStringList& arguments, int timeoutMs = 120000) const;
    // Runs and sends SIGTERM once standard output contains `trigger`.
    ZorvGetRun RunAndTerminate(const QStringList& arguments, const QString& trigger) const;
    // Runs and sends each of `signals`, one right after the other, once
    // standard output contains `trigger` `occurrences` times.
    ZorvGetRun RunAndSignal(const QStringList& arguments, const QString& trigger,
                            const std::vector<int>& signals, int occurrences = 1) const;
    // Runs and sends `signal` once `ready` holds (asked while it runs).
    ZorvGetRun RunAndSignalWhen(const QStringList& arguments, const std::function<bool()>& ready,
                                int signal) const;
    // Routes the runs' site hosts elsewhere (a test's own loopback server).
    void SetConnectTo(const QString& value) { env_.insert("ZORV_CONNECT_TO", value); }
    // Sets a variable of the runs' environment; an empty value removes it.
    void SetEnvironment(const QString& name, const QString& value) {
        if (value.isEmpty())
            env_.remove(name);
        else
            env_.insert(name, value);
    }
    // Writes a value into the program's settings file before a run.
    void SetSetting(const QString& key, const QVariant& value) const;
    QString DataFolder() const;

  private:
    QString home_;
    QProcessEnvironment env_;
};
