#pragma once
// A private X display for tests and benchmarks that need real windows:
// starts Xvfb on the first free display number and stops it again.

#include <QProcess>
#include <QString>

class XvfbDisplay {
  public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // Starts "Xvfb :N -screen 0 <screen>" and waits until it accepts
    // connections. False with a reason in `error` when none could start.
    bool Start(QString* error = nullptr, const QString& screen = QStringLiteral("1280x800x24"));
    void Stop();
    // ":N" once started.
    QString Name() const { return name_; }

  private:
    QProcess process_;
    QString name_;
};
