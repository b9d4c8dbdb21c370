#include "base/OutputFolder.h"

#include <QDir>

namespace {
bool IsSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}
} // namespace

QString NormalizeOutputFolder(const QString& folder) {
    QString path = folder.trimmed();
    while (!path.isEmpty() && IsSeparator(path.back()))
        path.chop(1);
    if (path.isEmpty())
        path = QDir::cleanPath(QDir::tempPath() + QStringLiteral("/temp"));

    static const QString kReplaced = QStringLiteral("*?\"<>|:");
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        // Doubled separators: the right-hand neighbour is still the original
        // character, so "///" turns into "--/".
        if (kReplaced.contains(c) || (IsSeparator(c) && i + 1 < path.size() && IsSeparator(path.at(i + 1))))
            path[i] = QLatin1Char('-');
    }
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.startsWith(QLatin1Char('/')))
        path = QDir(QDir::homePath()).filePath(path);
    return path;
}
