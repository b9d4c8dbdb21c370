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
};
