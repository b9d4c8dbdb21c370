#include "support/XvfbDisplay.h"

#include "support/WaitFor.h"

#include <QFileInfo>

namespace {
bool DisplayInUse(int n) {
    return QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
           QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n));
}
} // namespace

XvfbDisplay::~XvfbDisplay() {
    Stop();
}

bool XvfbDisplay::Start(QString* error, const QString& screen) {
    for (int n = 91; n < 160; ++n) {
        if (DisplayInUse(n))
            continue;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("Xvfb"),
                       {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"), QStringLiteral("0"), screen,
                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!process_.waitForStarted(5000)) {
            if (error)
                *error = QStringLiteral("Xvfb cannot be started: ") + process_.errorString();
            return false;
        }
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
        // Another starter may have taken the number first: Xvfb then exits.
        WaitFor([&] { return QFileInfo::exists(socket) || process_.waitForFinished(20); },
                std::chrono::seconds(20));
        if (process_.state() == QProcess::Running && QFileInfo::exists(socket)) {
            name_ = QStringLiteral(":%1").arg(n);
            return true;
        }
        Stop();
    }
    if (error)
        *error = QStringLiteral("no free X display number");
    return false;
}

void XvfbDisplay::Stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    name_.clear();
}
