#pragma once
// One child process of a benchmark, run in its own process group so that it
// and everything it starts (zorv-get's media player, say) can be killed as
// one. The destructor kills and reaps a child still running, so no path out
// of the benchmark leaves one behind; PR_SET_PDEATHSIG covers the benchmark
// itself being killed.
//
// Threads: the benchmark's main thread only.

#include "StopSignals.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct ChildOutcome {
    int exitCode = -1; // -1 when a signal ended it
    int signal = 0;
    double seconds = 0; // from just before fork() to the reap
    // ru_maxrss from wait4: Linux reports the larger of the child's own peak
    // and that of any descendant it reaped itself.
    long maxRssKiB = 0;
    // The child's own VmHWM, sampled every few milliseconds while it ran
    // (Wait(true) only): its peak without that of its descendants.
    long sampledPeakKiB = 0;
    bool Succeeded() const { return signal == 0 && exitCode == 0; }
    std::string Describe() const;
};

class ChildProcess {
  public:
    explicit ChildProcess(WatchSlot slot);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs argv (argv[0] a path, see FindProgram) with stdin from /dev/null
    // and stdout and stderr into outputPath (/dev/null when empty). Throws
    // std::runtime_error when it cannot be started, naming the reason.
    void Start(const std::vector<std::string>& argv, const std::string& outputPath);
    // Blocks until the child ends. Throws BenchInterrupted when a stop
    // signal arrives (the child is then killed and reaped first).
    // `sampleOwnPeak` samples its VmHWM on a helper thread meanwhile.
    ChildOutcome Wait(bool sampleOwnPeak = false);
    // The outcome when the child has ended; nullopt while it runs.
    std::optional<ChildOutcome> Poll();
    // SIGTERM to the group, SIGKILL after graceMs; reaps.
    ChildOutcome Stop(int graceMs);
    bool Running() const { return pid_ > 0; }

  private:
    bool WaitEnded(bool block);
    ChildOutcome Collect();
    std::optional<ChildOutcome> Reap(bool block);

    WatchSlot slot_;
    pid_t pid_ = 0;
    double startedAt_ = 0;
    double endedAt_ = 0;
};

// The absolute path of an executable: `name` itself when it holds a "/",
// else the first match on PATH, then /usr/sbin and /sbin (where nginx
// lives). Empty when there is none.
std::string FindProgram(const std::string& name);
// Runs argv to its end and returns the outcome (see ChildProcess).
ChildOutcome RunToEnd(const std::vector<std::string>& argv, const std::string& outputPath,
                      bool sampleOwnPeak = false);
