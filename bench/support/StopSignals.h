#pragma once
// Ending a benchmark early (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT) without leaving
// servers or downloads behind. The handler only records the signal and kills
// the watched process groups (both async-signal-safe); the main thread then
// sees StopSignal() != 0, throws BenchInterrupted, and its destructors stop
// the server, reap the children and remove the temporary folders. main()
// finally re-raises the signal so the caller sees the usual exit status.
//
// Every child also gets PR_SET_PDEATHSIG (ChildProcess.h), so even a
// SIGKILLed benchmark leaves no server running.
//
// Threads: the benchmark's main thread only (plus the handler).

#include <functional>
#include <stdexcept>
#include <sys/types.h>

class BenchInterrupted : public std::runtime_error {
  public:
    explicit BenchInterrupted(int signal);
    int signal;
};

// Installs the handler for SIGINT, SIGTERM, SIGHUP and SIGQUIT; ignores SIGPIPE.
void InstallStopSignals();
// The signal that asked the benchmark to end, or 0.
int StopSignal();
// Throws BenchInterrupted once a stop signal arrived.
void ThrowIfStopped();
// Process groups the handler kills with SIGKILL: slot 0 is the server, slot 1
// the running job. 0 clears a slot. A group set after the signal arrived is
// killed at once.
enum class WatchSlot { Server = 0, Job = 1 };
void WatchGroup(WatchSlot slot, pid_t group);
// Restores the default action and raises the signal again.
[[noreturn]] void ReRaise(int signal);

// main()'s end for a benchmark: installs the handler, calls `run`, and
// returns 0 when it ends, 1 with "program: what" printed when it throws;
// after a stop signal it says so and re-raises the signal.
int RunStoppable(const char* program, const std::function<void()>& run);
