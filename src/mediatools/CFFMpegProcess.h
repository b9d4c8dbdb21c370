#pragma once
// An ffmpeg run started with CFFMpegOpts::SetProgressRun: reads the
// "key=value" progress blocks it prints on standard output and keeps the
// last lines of everything else (its errors) for the message a failure
// shows.
//
// Threads:
// - Reader thread: OnOutput splits and records lines.
// - Owner thread: Open/Stop/Close (CConsoleProcess) and every accessor.
// - Shared: everything recorded, under one internal lock.

#include "mediatools/CConsoleProcess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <mutex>

class CFFMpegProcess : public CConsoleProcess {
  public:
    // Other lines kept; a longer line is cut to kMaxLineBytes.
    static constexpr int kTailLines = 10;
    static constexpr qsizetype kMaxLineBytes = 4096;

    CFFMpegProcess() = default;
    ~CFFMpegProcess() override;

    // The output's time so far in microseconds (out_time_us); 0 before any.
    qint64 OutTimeUs() const;
    // "progress=end" came: ffmpeg has written everything.
    bool ReportedEnd() const;
    // The last lines that were not progress, oldest first.
    QStringList TailLines() const;

  protected:
    void OnOutput(const char* chunk) override;
    void OnError(const char*) override {}

  private:
    void LineLocked(const QByteArray& line);

    mutable std::mutex mutex_;
    QByteArray partial_;
    qint64 outTimeUs_ = 0;
    bool ended_ = false;
    QStringList tail_;
};
