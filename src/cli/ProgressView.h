#pragma once
// What zorv-get prints while a batch runs: a redrawn progress bar with speed
// and time left on a terminal, plain lines everywhere else.

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

class ProgressView {
  public:
    ProgressView(FILE* out, bool terminal, bool quiet);

    // A new item starts: its address and position in the batch.
    void BeginItem(const QString& address, int index, int count);
    // Progress of the current media download.
    void Progress(int perMille, quint64 receivedBytes, quint64 totalBytes);
    // A media action on the current item's file begins, and its progress.
    void BeginAction(const QString& what);
    void ActionProgress(int perMille);
    // A status, retry or error line of the current item.
    void Line(const QString& text);
    // A line that is printed even in quiet mode (final results).
    void Result(const QString& text);
    // "zorv-get: warning: <text>" on standard error, also in quiet mode.
    void Warning(const QString& text);

    static QString FormatBytes(double bytes);
    static QString FormatDuration(qint64 seconds);

  private:
    void ClearBar();
    // Redraws the bar line: the bar, the percentage, then `tail`.
    void DrawBar(int perMille, const QString& tail);
    // Plain output: true when `perMille` starts another tenth.
    bool NewDecile(int perMille);

    FILE* out_;
    bool terminal_;
    bool quiet_;
    bool barShown_ = false;
    int lastPlainDecile_ = -1;
    QElapsedTimer itemClock_;
};
