#include "platform/FileAttributes.h"

#include <cerrno>

#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/xattr.h>

bool SetFileAttribute(int fd, const char* name, const QByteArray& value) {
    if (value.isEmpty())
        return ::fremovexattr(fd, name) == 0 || errno == ENODATA;
    return ::fsetxattr(fd, name, value.constData(), static_cast<size_t>(value.size()), 0) == 0;
}

std::optional<QByteArray> FileAttribute(int fd, const char* name) {
    // Addresses and validators are short; anything longer is not ours.
    constexpr int kMaxValue = 64 * 1024;
    QByteArray value(kMaxValue, Qt::Uninitialized);
    const ssize_t n = ::fgetxattr(fd, name, value.data(), static_cast<size_t>(value.size()));
    if (n < 0)
        return std::nullopt;
    value.truncate(n);
    return value;
}

bool ReserveFileSpace(int fd, long long offset, long long length) {
    for (;;) {
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset), static_cast<off_t>(length)) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}
