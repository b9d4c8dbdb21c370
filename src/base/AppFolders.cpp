#include "base/AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString GetAppFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    return target.isEmpty() ? QStringLiteral(".") : QFileInfo(target).absolutePath();
}

QString GetDataFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QString folder;
    if (!base.isEmpty() && QDir().mkpath(base)) {
        if (!base.endsWith(QLatin1Char('/')))
            base += QLatin1Char('/');
        folder = base + QLatin1String(kProductName);
    } else {
        folder = GetAppFolder() + QStringLiteral("/Profile");
    }
    QDir().mkpath(folder);
    return folder;
}
