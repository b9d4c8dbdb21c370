#include "base/OutputFolder.h"

#include "base/AppSettings.h"

#include <QDir>

QString NormalizeOutputFolder(const QString& folder) {
    QString path = folder.trimmed();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.isEmpty())
        return AppSettings::DefaultOutputFolder();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path.replace(0, 1, QDir::homePath());
    if (!path.startsWith(QLatin1Char('/')))
        path = QDir::homePath() + QLatin1Char('/') + path;
    return QDir::cleanPath(path);
}
