#pragma once
// Runs one external console tool as a child process: its standard output and
// standard error arrive merged through one pipe, its standard input is fed
// through a second pipe, and a reader thread hands the output to OnOutput.
// No shell is ever involved: the child gets the argument vector as given.
//
// One object serves exactly one child: construct, Open once, then Write /
// Stop / WaitForReader as needed, then Close (or destroy).
//
// Threads:
// - Owner thread (the thread that called Open): Open, Write, Stop,
//   WaitForReader, IsRunning, Close, the destructor and every accessor.
// - Reader thread (one per object, started by Open): OnOutput, and OnError
//   for read errors. OnError for Open failures runs on the owner thread.
//   OnOutput must not block for long: Close waits for the reader to finish.
//   Close may also be called from inside OnOutput; it then only asks the
//   reader to end and kills the child, and the owner's next Close (or the
//   destructor) joins the thread.
// - Data shared between the two threads: the child's process state (reaped
//   or not, exit code) under an internal lock, the reader result and the
//   "reading" flag (atomics). Whatever a subclass shares between OnOutput and
//   its owner is the subclass's to guard.
//
// Subclasses must call Close() in their own destructor: the reader thread
// calls their OnOutput and has to be gone before their members are.

#include <QString>
#include <QStringList>

#include <memory>

class CConsoleProcess {
  public:
    // How often the reader looks at the pipe and the child when nothing arrives.
    static constexpr int kPollIntervalMs = 100;
    // Output reaches OnOutput in chunks of at most this many bytes (plus a NUL).
    static constexpr int kChunkBytes = 255;
    static constexpr int kNoLimit = -1;

    CConsoleProcess();
    virtual ~CConsoleProcess();
    CConsoleProcess(const CConsoleProcess&) = delete;
    CConsoleProcess& operator=(const CConsoleProcess&) = delete;

    // Starts argv[0] (a path, or a bare name looked up on PATH) with the
    // remaining arguments, in its own process group. An empty workingDir
    // keeps the caller's current folder. Returns 1 when the child runs and
    // the reader has started, 0 otherwise: OnError then received
    // "Redirect console error: %x\r\n" (2 for a missing program) and the
    // object is closed. extraEnv holds "NAME=VALUE" entries the child gets on
    // top of this process's environment, each replacing a variable of that
    // name; the rest of the environment is passed on unchanged.
    int Open(const QStringList& argv, const QString& workingDir = QString(),
             const QStringList& extraEnv = QStringList());

    // Formats printf-style (UTF-8) and writes all bytes to the child's
    // standard input. Nonzero when written; 0 without an input pipe or when
    // the child no longer reads (never raises SIGPIPE).
    int Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int WriteText(const QByteArray& bytes);

    // Asks the tool to end: SIGINT to the child's process group. Does nothing
    // when the child has already ended or was never started. Does not wait.
    void Stop();

    // Waits until the reader thread has ended; ms < 0 means no limit. True
    // when it has ended (also when there never was one).
    bool WaitForReader(int ms);

    // Ends the reader (joined), kills the child's whole process group
    // (SIGKILL; also when the child itself has already ended, so helpers it
    // left behind go too), reaps the child and closes every pipe. Safe to
    // call any number of times.
    virtual void Close();

    // True while the child has not ended. An ended child stays a zombie
    // until Close, which keeps its process group's id from being reused.
    bool IsRunning();
    // The pid of the started child (kept after it ended), 0 before Open.
    qint64 ProcessId() const;
    // 0: the child ended or closed its output; 1: stopped by Close; -1: read
    // error; 2: still reading (or never started).
    int ReaderResult() const;
    // Exit status once the child has ended: its exit code, or 128 + signal
    // number when a signal ended it; -1 before.
    int ExitCode() const;
    // errno of the last failed Open, 0 otherwise.
    int LastError() const;

  protected:
    // One chunk of output (at most kChunkBytes bytes, NUL-terminated); not
    // split at line ends. Reader thread.
    virtual void OnOutput(const char* chunk) = 0;
    // One of the runner's own diagnostic texts.
    virtual void OnError(const char* text) = 0;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
