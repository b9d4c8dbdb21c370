#pragma once
// Ends a child still running at the end of a test: SIGTERM, then SIGKILL
// when it does not go; either way it is reaped.
#include <QProcess>

inline void EndProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(10000);
    }
}
