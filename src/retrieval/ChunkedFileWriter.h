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

    // Creates the file, or empties the existing one. With `keepBytes` the
    // file's first bytes stay (anything after them goes) and writing
    // continues after them. False with errno set.
    bool Open(const QString& path, long long keepBytes = 0);
    // Reserves the file's blocks for `bytes` up front (the file system then
    // lays the file out in one go; measured faster than growing it). False
    // with errno set; ENOSPC / EFBIG mean the file cannot fit.
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

  private:
    int fd_ = -1;
    std::unique_ptr<char[]> buffer_;
    std::size_t size_;
    std::size_t filled_ = 0;
    long long written_ = 0;
};
