#pragma once
// Writes a download to its file through one large buffer: the body arrives
// in small blocks, the file gets few large write(2) calls. A failed write
// (disk full, file-size limit, I/O error) is reported with errno kept.
//
// Threads: one object is used by one thread.

#include <QString>

#include <cstddef>
#include <memory>

class ChunkedFileWriter {
  public:
    explicit ChunkedFileWriter(std::size_t chunkBytes);
    ~ChunkedFileWriter(); // closes the file; unwritten bytes are dropped
    ChunkedFileWriter(const ChunkedFileWriter&) = delete;
    ChunkedFileWriter& operator=(const ChunkedFileWriter&) = delete;

    // Creates the file, or empties the existing one (never through a
    // symbolic link). With `keepBytes` the file's first bytes stay (anything
    // after them goes) and writing continues after them. False with errno
    // set.
    bool Open(const QString& path, long long keepBytes = 0);
    // The same with a file already open for writing at `fd`, which the
    // writer owns from now on (closed also when this fails).
    bool Adopt(int fd, long long keepBytes = 0);
    // The file will be `bytes` long: fails now when the file system has no
    // room for the rest, and reserves its blocks as the data comes, at most
    // kReserveAhead beyond what was written (the file system lays the file
    // out in few pieces; measured faster than growing it). The reservation
    // never changes the file's size, so the size always tells what arrived.
    // False with errno set; ENOSPC / EFBIG mean the file cannot fit.
    bool Preallocate(long long bytes);
    // Space for at least `bytes` more, flushing the buffer first when it
    // has less room; null on a write failure (errno set).
    char* Reserve(std::size_t bytes);
    // `bytes` of the reserved space now hold data.
    void Commit(std::size_t bytes) { filled_ += bytes; }
    // Writes the buffered bytes out. False with errno set.
    bool Flush();
    // Flushes and closes. False with errno set.
    bool Close();
    // Bytes the file holds from its start: kept plus written out.
    long long Written() const { return written_; }

    // How far beyond the written bytes blocks are reserved: a server that
    // announces a huge length and sends little takes little disk.
    static constexpr long long kReserveAhead = 8LL * 1024 * 1024;

  private:
    // Takes `fd`, cutting the file to `keepBytes` when `truncate` is set,
    // and continues writing after them.
    bool Start(int fd, long long keepBytes, bool truncate);
    // Reserves up to kReserveAhead beyond the written bytes. False with
    // errno set when the file cannot fit.
    bool ReserveAhead();

    int fd_ = -1;
    long long expected_ = 0; // the file's announced length; 0: nothing reserved
    long long reservedTo_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t size_;
    std::size_t filled_ = 0;
    long long written_ = 0;
};
