#pragma once
// For targets whose code under test reads a file: one scratch file per
// process that each input replaces, removed when the process ends.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

class FuzzFile {
  public:
    explicit FuzzFile(const char* name)
        : path_(QDir::tempPath() + QStringLiteral("/%1-%2").arg(QLatin1String(name)).arg(::getpid())) {}
    ~FuzzFile() { QFile::remove(path_); }

    // Replaces the file's content with `bytes`; returns its path.
    const QString& Write(const QByteArray& bytes) {
        QFile file(path_);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
        return path_;
    }

  private:
    QString path_;
};
