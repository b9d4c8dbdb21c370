#include "retrieval/ChunkedFileWriter.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
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
    fd_ = ::open(native.constData(), O_WRONLY | O_CREAT | truncate | O_CLOEXEC, 0644);
    filled_ = 0;
    written_ = 0;
    if (fd_ < 0)
        return false;
    if (keepBytes > 0) {
        // A file laid out in advance is longer than what arrived: the tail
        // goes, so the file holds exactly the kept bytes.
        if (::ftruncate(fd_, static_cast<off_t>(keepBytes)) != 0 ||
            ::lseek(fd_, static_cast<off_t>(keepBytes), SEEK_SET) < 0) {
            const int saved = errno;
            ::close(fd_);
            fd_ = -1;
            errno = saved;
            return false;
        }
        written_ = keepBytes;
    }
    return true;
}

bool ChunkedFileWriter::Preallocate(long long bytes) {
    const int error = ::posix_fallocate(fd_, 0, static_cast<off_t>(bytes));
    errno = error;
    return error == 0;
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
    return true;
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
