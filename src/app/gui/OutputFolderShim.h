#pragma once
// Stand-in until the core's output-folder cleaning is on this branch:
// trims, drops trailing separators, makes the folder absolute under home.
#include <QDir>
#include <QString>
inline QString NormalizeOutputFolder(const QString& text) {
    QString f = text.trimmed();
    while (f.endsWith(QLatin1Char('/')) || f.endsWith(QLatin1Char('\\')))
        f.chop(1);
    if (f.isEmpty())
        return QDir::tempPath() + QStringLiteral("/temp");
    return QDir::cleanPath(QDir::isAbsolutePath(f) ? f : QDir::homePath() + QLatin1Char('/') + f);
}
