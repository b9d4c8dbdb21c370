#pragma once
// What one request sequence of CVideoDownloader ends with, as a value.

#include <QString>

struct TransferResult {
    // 0 success; 111 stopped by the user; -1 failed (see errorText);
    // 302 / 404 from a single request; else a network failure's code
    // (TransportError, 12000 and up).
    int code = -1;
    int httpStatus = 0;   // status of the last response, 0 when none came
    QString finalAddress; // the address the last response came from
    QString location;     // the last redirect target, as the server sent it
    QString errorText;    // why it failed, for the item's error text
    bool stopped = false; // the user's stop ended it
};

// A page fetched as text.
struct PageResult : TransferResult {
    QString text;
};

// A media file copied to disk.
struct MediaResult : TransferResult {
    quint64 totalBytes = 0;
    quint64 receivedBytes = 0;
    quint64 resumedFrom = 0; // body bytes the file already held from an earlier attempt
    quint64 bytesOnDisk = 0; // body bytes the file holds now, counted from its start
};

// What a media download that broke leaves for the next attempt of its item:
// the bytes already in the temporary file and what identified the answer
// they came from. The next attempt asks only for the rest, and appends it
// only when the server sends exactly that rest of the same file.
struct MediaResume {
    QString path;           // the temporary file holding the bytes
    quint64 bytes = 0;      // body bytes in it, from its start
    quint64 totalBytes = 0; // the first answer's length
    QString etag;           // the first answer's validator, when it had one
    QString lastModified;   // used when it had no ETag
    QString address;        // where the first answer came from
    bool Usable() const { return !path.isEmpty() && bytes > 0 && bytes < totalBytes; }
};
