#include "retrieval/ChunkedFileWriter.h"

#include <QFile>

#include "platform/FileAttributes.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

ChunkedFileWriter::ChunkedFileWriter(std::size_t chunkBytes)
    : buffer_(new char[chunkBytes]), size_(chunkBytes) {}

ChunkedFileWriter::~ChunkedFileWriter() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ChunkedFileWriter::Open(const QString& path, long long keepBytes) {
    const QByteArray native = QFile::encodeName(path);
    const int truncate = keepBytes > 0 ? 0 : O_TRUNC;
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | truncate | O_CLOEXEC, 0644);
    if (fd < 0) {
        fd_ = -1;
        return false;
    }
    // Emptied by the open already (a device such as /dev/full cannot be
    // truncated, and need not be).
    return Start(fd, keepBytes, keepBytes > 0);
}

bool ChunkedFileWriter::Adopt(int fd, long long keepBytes) {
    return Start(fd, keepBytes, true);
}

bool ChunkedFileWriter::Start(int fd, long long keepBytes, bool truncate) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    filled_ = 0;
    written_ = 0;
    expected_ = 0;
    // A file laid out in advance may be longer than what arrived: the tail
    // goes, so the file holds exactly the kept bytes.
    if ((truncate && ::ftruncate(fd_, static_cast<off_t>(keepBytes)) != 0) ||
        ::lseek(fd_, static_cast<off_t>(keepBytes), SEEK_SET) < 0) {
        const int saved = errno;
        ::close(fd_);
        fd_ = -1;
        errno = saved;
        return false;
    }
    written_ = keepBytes;
    reservedTo_ = keepBytes;
    return true;
}

bool ChunkedFileWriter::Preallocate(long long bytes) {
    struct statvfs space {};
    if (::fstatvfs(fd_, &space) == 0 &&
        static_cast<unsigned long long>(bytes - written_) >
            static_cast<unsigned long long>(space.f_bavail) * space.f_frsize) {
        errno = ENOSPC;
        return false;
    }
    expected_ = bytes;
    return ReserveAhead();
}

bool ChunkedFileWriter::ReserveAhead() {
    const long long wanted = std::min(expected_, written_ + kReserveAhead);
    if (wanted <= reservedTo_)
        return true;
    if (!ReserveFileSpace(fd_, reservedTo_, wanted - reservedTo_)) {
        if (errno == ENOSPC || errno == EFBIG)
            return false;
        expected_ = 0; // the file system cannot: the file simply grows
        return true;
    }
    reservedTo_ = wanted;
    return true;
}

char* ChunkedFileWriter::Reserve(std::size_t bytes) {
    if (size_ - filled_ < bytes && !Flush())
        return nullptr;
    return buffer_.get() + filled_;
}

bool ChunkedFileWriter::Flush() {
    std::size_t done = 0;
    while (done < filled_) {
        const ssize_t n = ::write(fd_, buffer_.get() + done, filled_ - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
        written_ += n;
    }
    filled_ = 0;
    return ReserveAhead();
}

bool ChunkedFileWriter::Close() {
    if (fd_ < 0)
        return true;
    const bool flushed = Flush();
    const int saved = errno;
    const int closed = ::close(fd_);
    fd_ = -1;
    if (!flushed) {
        errno = saved;
        return false;
    }
    return closed == 0;
}
