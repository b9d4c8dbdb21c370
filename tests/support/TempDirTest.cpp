#include "support/TempDirTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

void TempDirTest::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    savedHome_ = qgetenv("HOME");
    savedConfig_ = qgetenv("XDG_CONFIG_HOME");
    savedData_ = qgetenv("XDG_DATA_HOME");
    QDir().mkpath(Path("home"));
    QDir().mkpath(Path("config"));
    QDir().mkpath(Path("data"));
    qputenv("HOME", QFile::encodeName(Path("home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Path("data")));
    // QSettings reads XDG_CONFIG_HOME only once per process: point it anew.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Path("config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Path("config"));
}

void TempDirTest::TearDown() {
    qputenv("HOME", savedHome_);
    qputenv("XDG_CONFIG_HOME", savedConfig_);
    qputenv("XDG_DATA_HOME", savedData_);
    const QString config = savedConfig_.isEmpty() ? QFile::decodeName(savedHome_) + QStringLiteral("/.config")
                                                  : QFile::decodeName(savedConfig_);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
}

QString TempDirTest::Path(const QString& relative) const {
    return relative.isEmpty() ? dir_.path() : dir_.path() + QLatin1Char('/') + relative;
}

QString TempDirTest::WriteFile(const QString& relative, const QByteArray& bytes) const {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(bytes);
    return path;
}

QByteArray TempDirTest::ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QStringList FolderTree(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

QStringList ChildProcesses() {
    QStringList found;
    const QString self = QString::number(QCoreApplication::applicationPid());
    QDir proc(QStringLiteral("/proc"));
    proc.setSorting(QDir::NoSort);
    QList<qint64> pids;
    for (const QString& name : proc.entryList(QDir::Dirs))
        if (const qint64 pid = name.toLongLong(); pid > 0)
            pids << pid;
    std::sort(pids.begin(), pids.end());
    for (const qint64 number : pids) {
        const QString pid = QString::number(number);
        QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(stat.readAll());
        // "pid (name) state ppid ...": the name may hold spaces, never ") ".
        const QStringList rest = text.mid(text.lastIndexOf(QLatin1String(") ")) + 2).split(QLatin1Char(' '));
        if (rest.value(1) == self)
            found << text.left(text.lastIndexOf(QLatin1String(") ")) + 1);
    }
    return found;
}
