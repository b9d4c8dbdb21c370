#pragma once
// Runs the zorv-get program as a user would, against an in-process site
// simulator, with its own home, settings and data folders.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class SiteSimulator;

struct ZorvGetRun {
    int exitCode = -1;
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
    // Routes the runs' site hosts elsewhere (a test's own loopback server).
    void SetConnectTo(const QString& value) { env_.insert("ZORV_CONNECT_TO", value); }
    // Writes a value into the program's settings file before a run.
    void SetSetting(const QString& key, const QVariant& value) const;
    QString DataFolder() const;

  private:
    QString home_;
    QProcessEnvironment env_;
};
