#include "ChildProcess.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int kSampleMs = 5;

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The process's own resident high-water mark; 0 once it is gone.
long ReadHwmKiB(const std::string& statusPath) {
    std::ifstream status(statusPath);
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

bool IsExecutable(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Only async-signal-safe calls between fork() and exec.
[[noreturn]] void ExecChild(pid_t parent, const char* path, char* const* argv, const char* output,
                            int errorPipe) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127); // the benchmark is already gone
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0) {
        const int e = errno;
        (void)!::write(errorPipe, &e, sizeof e);
        ::_exit(127);
    }
    ::execv(path, argv);
    const int e = errno;
    (void)!::write(errorPipe, &e, sizeof e);
    ::_exit(127);
}
} // namespace

std::string ChildOutcome::Describe() const {
    if (signal != 0)
        return "killed by signal " + std::to_string(signal);
    return "exit status " + std::to_string(exitCode);
}

ChildProcess::ChildProcess(WatchSlot slot) : slot_(slot) {}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        Reap(true);
    }
}

void ChildProcess::Start(const std::vector<std::string>& argv, const std::string& outputPath) {
    if (pid_ > 0 || argv.empty())
        throw std::logic_error("ChildProcess::Start: already running or no program");
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string output = outputPath.empty() ? "/dev/null" : outputPath;

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    const pid_t parent = ::getpid();
    startedAt_ = Now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int e = errno;
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        throw std::runtime_error(std::string("fork: ") + std::strerror(e));
    }
    if (pid == 0)
        ExecChild(parent, args[0], args.data(), output.c_str(), errorPipe[1]);
    ::setpgid(pid, pid); // also here: the group must exist before anyone kills it
    pid_ = pid;
    WatchGroup(slot_, pid);
    ::close(errorPipe[1]);
    int childErrno = 0;
    ssize_t n;
    do
        n = ::read(errorPipe[0], &childErrno, sizeof childErrno);
    while (n < 0 && errno == EINTR && StopSignal() == 0);
    ::close(errorPipe[0]);
    if (n == static_cast<ssize_t>(sizeof childErrno)) {
        Reap(true);
        throw std::runtime_error("cannot run " + argv[0] + ": " + std::strerror(childErrno));
    }
}

bool ChildProcess::WaitEnded(bool block) {
    // Seen ended but not yet reaped: the zombie keeps its id, so neither the
    // group kill nor a /proc read can reach an unrelated process that took
    // the number.
    siginfo_t info{};
    for (;;) {
        info.si_pid = 0;
        const int r =
            ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT | (block ? 0 : WNOHANG));
        if (r == 0 || errno != EINTR)
            return r != 0 || info.si_pid != 0; // an error: nothing left to wait for
        if (StopSignal() != 0)
            ::kill(-pid_, SIGKILL); // the handler did too; the wait ends soon
    }
}

ChildOutcome ChildProcess::Collect() {
    // Anything the child left in its group goes with it.
    ::kill(-pid_, SIGKILL);
    WatchGroup(slot_, 0);
    int status = 0;
    rusage usage{};
    pid_t r;
    do
        r = ::wait4(pid_, &status, 0, &usage);
    while (r < 0 && errno == EINTR);
    ChildOutcome outcome;
    outcome.seconds = endedAt_ - startedAt_;
    if (r > 0) {
        outcome.maxRssKiB = usage.ru_maxrss;
        if (WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            outcome.signal = WTERMSIG(status);
    }
    pid_ = 0;
    return outcome;
}

std::optional<ChildOutcome> ChildProcess::Reap(bool block) {
    if (pid_ <= 0 || !WaitEnded(block))
        return std::nullopt;
    endedAt_ = Now();
    return Collect();
}

ChildOutcome ChildProcess::Wait(bool sampleOwnPeak) {
    if (pid_ <= 0)
        throw std::logic_error("ChildProcess::Wait: nothing to wait for");
    std::atomic<bool> done{false};
    std::atomic<long> peak{0};
    std::thread sampler;
    if (sampleOwnPeak) {
        sampler = std::thread([pid = pid_, &done, &peak] {
            // Stop signals are for the main thread, whose wait they end.
            sigset_t all;
            sigfillset(&all);
            ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
            const std::string path = "/proc/" + std::to_string(pid) + "/status";
            while (!done) {
                peak = std::max(peak.load(), ReadHwmKiB(path));
                std::this_thread::sleep_for(std::chrono::milliseconds(kSampleMs));
            }
        });
    }
    WaitEnded(true);
    endedAt_ = Now();
    if (sampler.joinable()) {
        done = true;
        sampler.join();
    }
    ChildOutcome outcome = Collect();
    outcome.sampledPeakKiB = peak;
    ThrowIfStopped();
    return outcome;
}

std::optional<ChildOutcome> ChildProcess::Poll() {
    std::optional<ChildOutcome> outcome = Reap(false);
    ThrowIfStopped();
    return outcome;
}

ChildOutcome ChildProcess::Stop(int graceMs) {
    if (pid_ <= 0)
        return {};
    ::kill(-pid_, SIGTERM);
    for (int waited = 0; waited < graceMs; waited += 10) {
        if (std::optional<ChildOutcome> outcome = Reap(false))
            return *outcome;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(-pid_, SIGKILL);
    return Reap(true).value_or(ChildOutcome{});
}

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return IsExecutable(name) ? name : std::string();
    const char* env = std::getenv("PATH");
    std::string path = env ? env : "/usr/bin:/bin";
    path += ":/usr/sbin:/sbin:/usr/local/sbin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string dir = path.substr(start, end - start);
        if (!dir.empty() && IsExecutable(dir + "/" + name))
            return dir + "/" + name;
        start = end + 1;
    }
    return {};
}

ChildOutcome RunToEnd(const std::vector<std::string>& argv, const std::string& outputPath,
                      bool sampleOwnPeak) {
    ChildProcess child(WatchSlot::Job);
    child.Start(argv, outputPath);
    return child.Wait(sampleOwnPeak);
}
