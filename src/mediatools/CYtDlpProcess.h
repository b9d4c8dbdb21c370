#pragma once
// A yt-dlp run that reads its merged output line by line.
//
// Collect mode (metadata, version) keeps every line, up to a byte limit: a
// run that prints more is closed and marked Overflowed. Download mode keeps
// only what the runner needs: the newest progress, the finished file's path,
// the last "ERROR:" line and a short tail of other lines for the log.
//
// Output is "unreadable" when a line is not UTF-8, holds control characters
// or grows past the line limit without a line end: yt-dlp prints none of
// these, so the program on the other end is not (or no longer) yt-dlp.
//
// Threads:
// - Reader thread: OnOutput splits and records lines.
// - Owner thread: Open/Stop/Close (CConsoleProcess) and every accessor.
// - Shared: everything recorded, under one internal lock.

#include "mediatools/CConsoleProcess.h"
#include "mediatools/YtDlpText.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <mutex>

class CYtDlpProcess : public CConsoleProcess {
  public:
    enum class Mode { Collect, Download };
    // Download mode: a line longer than this is unreadable output.
    static constexpr qsizetype kMaxLineBytes = 64 * 1024;
    // Download mode: other lines kept for the log.
    static constexpr int kTailLines = 20;

    explicit CYtDlpProcess(Mode mode, qint64 byteLimit = kMaxLineBytes);
    ~CYtDlpProcess() override;

    QList<QByteArray> RawLines() const; // the lines kept, without line ends
    QStringList Lines() const;
    bool Overflowed() const;
    bool Unreadable() const;
    // Download mode.
    YtDlpProgress Progress() const;
    QString FilePath() const;
    QString ErrorLine() const; // the last "ERROR:" line
    // The newest "zorv-info" line and how many have come so far.
    YtDlpVideoInfo VideoInfo() const;
    int VideoInfoCount() const;
    // Grows with every line that shows yt-dlp at work (progress, its own
    // messages); garbage does not count.
    quint64 Activity() const;

  protected:
    void OnOutput(const char* chunk) override;
    void OnError(const char*) override {}

  private:
    void LineLocked(QByteArray line);

    const Mode mode_;
    const qint64 byteLimit_;

    mutable std::mutex mutex_;
    QByteArray partial_;
    qint64 bytes_ = 0;
    QList<QByteArray> lines_;
    bool overflowed_ = false;
    bool unreadable_ = false;
    YtDlpProgress progress_;
    QString filePath_;
    QString lastError_;
    YtDlpVideoInfo videoInfo_;
    int videoInfoCount_ = 0;
    quint64 activity_ = 0;
};
