#include "ScriptTool.h"

#include <QFile>
#include <QFileInfo>

QString WriteScriptTool(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QFileInfo(path).absoluteFilePath();
}

bool ProcessExists(qint64 pid) {
    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}
