#include "mediatools/YtDlpWorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
constexpr char kSystemBundle[] = "/etc/ssl/certs/ca-certificates.crt";

// Copies in blocks: a bundle is small, but nothing here holds a file whole.
bool Append(QFile& out, const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    char block[16384];
    qint64 n;
    while ((n = in.read(block, sizeof block)) > 0) {
        if (out.write(block, n) != n)
            return false;
    }
    return n == 0 && out.write("\n", 1) == 1;
}
} // namespace

std::unique_ptr<QTemporaryDir> MakeYtDlpFolder(const QString& parent) {
    auto dir = std::make_unique<QTemporaryDir>(QDir(parent).filePath(QStringLiteral(".zorv-ytdlp-XXXXXX")));
    if (!dir->isValid())
        return nullptr;
    return dir;
}

QString WriteYtDlpCookieFile(const QString& folder, const QStringList& lines) {
    QFile file(QDir(folder).filePath(QStringLiteral("cookies.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return QString();
    QByteArray text = "# Netscape HTTP Cookie File\n\n";
    for (const QString& line : lines) {
        if (!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')))
            text += line.toUtf8() + '\n';
    }
    const bool ok = file.write(text) == text.size();
    file.close();
    return ok && file.error() == QFileDevice::NoError ? file.fileName() : QString();
}

CookieKeys CookieKeysOf(const QStringList& lines) {
    static const QString httpOnly = QStringLiteral("#HttpOnly_");
    CookieKeys keys;
    for (QString line : lines) {
        if (line.startsWith(httpOnly))
            line = line.mid(httpOnly.size());
        else if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.trimmed().split(QLatin1Char('\t'));
        if (f.size() == 7)
            keys.insert(f[0] + QLatin1Char('\t') + f[5] + QLatin1Char('\t') + f[6]);
    }
    return keys;
}

CookieKeys CookieKeysOfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    while (!file.atEnd())
        lines << QString::fromUtf8(file.readLine());
    return CookieKeysOf(lines);
}

std::optional<QString> WriteYtDlpCaBundle(const QString& folder) {
    const QString extra = qEnvironmentVariable("ZORV_CA_BUNDLE");
    if (extra.isEmpty())
        return std::nullopt;
    QFile out(QDir(folder).filePath(QStringLiteral("ca-bundle.pem")));
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QString();
    // The system's CAs first, so ordinary sites still verify.
    bool ok = !QFileInfo::exists(QLatin1String(kSystemBundle)) || Append(out, QLatin1String(kSystemBundle));
    ok = ok && Append(out, extra);
    out.close();
    return ok && out.error() == QFileDevice::NoError ? out.fileName() : QString();
}

void RemoveAllBut(const QString& folder, const QString& keep) {
    const QDir dir(folder);
    const QString kept = QFileInfo(keep).absoluteFilePath();
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.absoluteFilePath() == kept)
            continue;
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.absoluteFilePath()).removeRecursively();
        else
            QFile::remove(entry.absoluteFilePath());
    }
}
