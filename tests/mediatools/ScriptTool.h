#pragma once
// Small shell scripts written at test time that stand in for console tools.

#include <QString>

// Writes `body` after a "#!/bin/sh" line to `path` and makes it executable.
QString WriteScriptTool(const QString& path, const QByteArray& body);

// True while a process with this pid exists (a zombie counts as existing).
bool ProcessExists(qint64 pid);
