#pragma once
// What the transport (CVideoDownloader) and the site extractors see of the
// batch that runs them: the only way they report to the window, learn of a
// stop request and hand over a browser dialog's address. DownloadWorker
// implements it; tests give a parser a small recording context instead.
//
// Threads: every member is called on the batch thread, except
// StopRequested, which any thread may call (the transport polls it while it
// waits on the network).

#include <QString>

#include <optional>

class TransferContext {
  public:
    virtual ~TransferContext() = default;

    // A status code (DownloadMessages.h) for the current item, with an
    // optional text shown instead of the code's own.
    virtual void PostStatus(int code, std::optional<QString> text = std::nullopt) = 0;
    // Per-mille progress of the current media download; posted on change.
    virtual void PostProgress(int perMille) = 0;
    // Byte counts of the current media download, read by the window.
    virtual void SetByteCounts(quint64 received, quint64 total) = 0;
    // The page named the current item's title.
    virtual void PostTitle(const QString& title) = 0;
    // The item's error text (also logged as "Error: <text>").
    virtual void SetError(const QString& text) = 0;
    // Non-blocking poll of the stop request; 1 once a stop was requested
    // (the batch then ends at its next check).
    virtual int CheckStop() = 0;
    // A cheap flag read for the transport's network waits: true once a stop
    // was requested or the batch was abandoned.
    virtual bool StopRequested() const = 0;
    // The user's choice about HTTP caches (UseInternalCache).
    virtual int UseInternalCache() const = 0;
    // A site gate: the window opens a browser dialog at `address` (status
    // 207 / 208 follows) and the batch waits for it after the attempt.
    virtual void RequestCaptcha(const QString& address) = 0;
    virtual void RequestSignIn(const QString& address) = 0;
};
