#include "support/TempDirTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
}

void TempDirTest::TearDown() {
    qputenv("HOME", savedHome_);
    qputenv("XDG_CONFIG_HOME", savedConfig_);
    qputenv("XDG_DATA_HOME", savedData_);
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
