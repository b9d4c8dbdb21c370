#include "StopSignals.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_signal = 0;
std::atomic<pid_t> g_groups[2] = {0, 0};
static_assert(std::atomic<pid_t>::is_always_lock_free, "the handler reads these");

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void OnStopSignal(int signal) {
    if (g_signal == 0)
        g_signal = signal;
    for (auto& group : g_groups) {
        const pid_t g = group.load();
        if (g > 0)
            ::kill(-g, SIGKILL);
    }
}
} // namespace

BenchInterrupted::BenchInterrupted(int signal)
    : std::runtime_error("interrupted by signal " + std::to_string(signal)), signal(signal) {}

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns EINTR and the caller looks at
    // StopSignal() at once.
    action.sa_flags = 0;
    for (int s : kStopSignals)
        sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int StopSignal() {
    return g_signal;
}

void ThrowIfStopped() {
    if (g_signal != 0)
        throw BenchInterrupted(g_signal);
}

void WatchGroup(WatchSlot slot, pid_t group) {
    g_groups[static_cast<int>(slot)].store(group);
    // The signal may have come between fork() and this store.
    if (group > 0 && g_signal != 0)
        ::kill(-group, SIGKILL);
}

void ReRaise(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal);
}

int RunStoppable(const char* program, const std::function<void()>& run) {
    InstallStopSignals();
    int signal = 0;
    try {
        run();
    } catch (const BenchInterrupted& stop) {
        signal = stop.signal;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", program, error.what());
        if (StopSignal() == 0)
            return 1;
    }
    if (signal == 0)
        signal = StopSignal();
    if (signal != 0) {
        std::fprintf(stderr, "%s: stopped by signal %d; server stopped, files removed\n", program, signal);
        ReRaise(signal);
    }
    return 0;
}
