#include "retrieval/FilePlacement.h"

#include "platform/FileAttributes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct InUse {
    std::mutex mutex;
    // Each file's descriptor holds its lock for as long as it is in use.
    QHash<QString, int> paths;
    bool closed = false;
};

InUse& Files() {
    static InUse* files = new InUse(); // used up to the program's last moment
    return *files;
}

// Locks the regular file open at `fd` for this program; false (and closes
// it) when another download holds it or it is not a regular file.
bool LockTemporary(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    ::close(fd);
    errno = EEXIST;
    return false;
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

bool CreateTemporaryFile(const QString& path, Takeover takeover) {
    InUse& files = Files();
    std::lock_guard lock(files.mutex);
    if (files.closed) {
        errno = ECANCELED;
        return false;
    }
    if (files.paths.contains(path)) {
        errno = EEXIST;
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    // Read and write: the finished file's first bytes tell its container.
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno != EEXIST)
            return false;
        // Left by a download that never ended (its program was killed):
        // nobody holds it, so it is taken over.
        fd = ::open(native.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            errno = EEXIST;
            return false;
        }
        if (!LockTemporary(fd))
            return false;
        if (takeover == Takeover::Empty && ::ftruncate(fd, 0) != 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
    } else if (!LockTemporary(fd)) {
        return false; // taken over by another program the moment it was made
    }
    files.paths.insert(path, fd);
    return true;
}

namespace {
// The descriptor of a temporary file in use, under the record's lock; -1
// (errno EBADF) when `path` is not in use.
template <typename Use> auto WithTemporary(const QString& path, Use&& use) {
    InUse& files = Files();
    std::lock_guard lock(files.mutex);
    const auto it = files.paths.constFind(path);
    const int fd = it == files.paths.cend() ? -1 : it.value();
    if (fd < 0)
        errno = EBADF;
    return use(fd);
}
} // namespace

int DuplicateTemporaryFile(const QString& path) {
    return WithTemporary(path, [](int fd) { return fd < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 0); });
}

bool EmptyTemporaryFile(const QString& path) {
    return WithTemporary(path, [](int fd) { return fd >= 0 && ::ftruncate(fd, 0) == 0; });
}

long long TemporaryFileSize(const QString& path) {
    return WithTemporary(path, [](int fd) {
        struct stat info {};
        return fd >= 0 && ::fstat(fd, &info) == 0 ? static_cast<long long>(info.st_size) : -1LL;
    });
}

QByteArray TemporaryFileStart(const QString& path, int bytes) {
    return WithTemporary(path, [bytes](int fd) {
        QByteArray start(bytes, Qt::Uninitialized);
        ssize_t n = fd < 0 ? -1 : ::pread(fd, start.data(), static_cast<size_t>(bytes), 0);
        start.truncate(n > 0 ? n : 0);
        return start;
    });
}

bool SetTemporaryFileAttribute(const QString& path, const char* name, const QByteArray& value) {
    return WithTemporary(path, [&](int fd) { return fd >= 0 && SetFileAttribute(fd, name, value); });
}

std::optional<QByteArray> TemporaryFileAttribute(const QString& path, const char* name) {
    return WithTemporary(path, [&](int fd) { return fd < 0 ? std::nullopt : FileAttribute(fd, name); });
}

bool TemporaryFileIntact(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    return WithTemporary(path, [&](int fd) {
        struct stat held {
        }, named{};
        return fd >= 0 && ::fstat(fd, &held) == 0 && ::lstat(native.constData(), &named) == 0 &&
               held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    });
}

bool TemporaryFileAbandoned(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool abandoned =
        ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd); // ends the probe's own lock
    return abandoned;
}

void ReleaseTemporaryFile(const QString& path, bool remove) {
    InUse& files = Files();
    std::lock_guard lock(files.mutex);
    const auto it = files.paths.find(path);
    if (it == files.paths.end())
        return;
    // Deleted while still locked, so no other program takes it over first.
    if (remove)
        ::unlink(QFile::encodeName(path).constData());
    ::close(it.value());
    files.paths.erase(it);
}

void RemoveTemporaryFilesInUse() {
    InUse& files = Files();
    std::lock_guard lock(files.mutex);
    files.closed = true;
    for (auto it = files.paths.cbegin(); it != files.paths.cend(); ++it) {
        ::unlink(QFile::encodeName(it.key()).constData());
        ::close(it.value());
    }
    files.paths.clear();
}

QString MakeUniquePath(const QString& folder, const QString& name, const QString& extension) {
    if (!folder.isEmpty())
        QDir().mkpath(folder); // a failure shows when the file is created
    for (int i = 0; i <= 999; ++i) {
        // Joined, not arg()-filled: a "%1" in a title must stay text.
        const QString base =
            i == 0 ? name : name + QLatin1Char('_') + QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        const QString candidate = folder + QLatin1Char('/') + base + QLatin1Char('.') + extension;
        // A name whose temporary file exists belongs to a download still
        // running (maybe in another program run), unless nobody holds it.
        const QFileInfo info(candidate);
        const QFileInfo temporary(candidate + QLatin1String(kTemporarySuffix));
        const bool temporaryFree =
            (!temporary.exists() && !temporary.isSymLink()) || TemporaryFileAbandoned(temporary.filePath());
        if (!info.exists() && !info.isSymLink() && temporaryFree)
            return candidate;
    }
    return QString();
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

QString ContainerOfBytes(const QByteArray& start) {
    if (start.size() >= 12 && start.mid(4, 4) == "ftyp") {
        const QByteArray brand = start.mid(8, 4);
        return brand.startsWith("3gp") || brand.startsWith("3g2") ? QStringLiteral("3gp")
                                                                  : QStringLiteral("mp4");
    }
    if (start.startsWith("FLV"))
        return QStringLiteral("flv");
    if (start.startsWith(QByteArray::fromHex("1a45dfa3")))
        return QStringLiteral("webm");
    return QString();
}
