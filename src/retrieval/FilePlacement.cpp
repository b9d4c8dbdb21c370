#include "retrieval/FilePlacement.h"

#include "retrieval/TextUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace {
struct InUse {
    std::mutex mutex;
    QSet<QString> paths;
    bool closed = false;
};

InUse& Files() {
    static InUse* files = new InUse(); // used up to the program's last moment
    return *files;
}

// Tries `to` once; true when moved. Switches `method` to the link fallback
// when the file system has no no-replace rename.
bool MoveOnce(const QByteArray& from, const QByteArray& to, MoveMethod& method) {
    if (method == MoveMethod::NoReplaceRename) {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        method = MoveMethod::LinkThenUnlink;
    }
    // link(2) never replaces a file: a taken name fails with EEXIST.
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    ::unlink(from.constData());
    return true;
}
} // namespace

bool CreateTemporaryFile(const QString& path) {
    InUse& files = Files();
    std::lock_guard lock(files.mutex);
    if (files.closed) {
        errno = ECANCELED;
        return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    files.paths.insert(path);
    return true;
}

void ReleaseTemporaryFile(const QString& path, bool remove) {
    InUse& files = Files();
    std::lock_guard lock(files.mutex);
    if (files.paths.remove(path) && remove)
        ::unlink(QFile::encodeName(path).constData());
}

void RemoveTemporaryFilesInUse() {
    InUse& files = Files();
    std::lock_guard lock(files.mutex);
    files.closed = true;
    for (const QString& path : std::as_const(files.paths))
        ::unlink(QFile::encodeName(path).constData());
    files.paths.clear();
}

bool MoveWithoutReplacing(const QString& from, QString& to, MoveMethod method) {
    const QByteArray source = QFile::encodeName(from);
    for (int clash = 0; clash < 3; ++clash) {
        if (MoveOnce(source, QFile::encodeName(to), method))
            return true;
        if (errno != EEXIST)
            return false;
        const QFileInfo taken(to);
        const QString next = MakeUniquePath(taken.path(), taken.completeBaseName(), taken.suffix());
        if (next.isEmpty())
            return false;
        to = next;
    }
    errno = EEXIST;
    return false;
}
