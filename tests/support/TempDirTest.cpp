#include "support/TempDirTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

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
