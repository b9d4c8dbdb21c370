// Console runner on POSIX: posix_spawnp with the child in its own process
// group, one pipe for stdout+stderr, one for stdin, and a reader thread that
// polls the output pipe and a stop pipe.
#include "mediatools/CConsoleProcess.h"

#include "platform/Event.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int StatusToExitCode(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

struct CConsoleProcess::Impl {
    explicit Impl(CConsoleProcess* o) : owner(o) {}

    CConsoleProcess* owner;
    std::mutex closeMutex; // serialises Close on the owner's side

    // The child's state is read by the reader (to notice its end) and by the
    // owner (Stop, IsRunning, Close). Signalling and reaping both happen under
    // this lock, and only Close reaps, so a signal never reaches a pid (or a
    // process group) that was already reaped and possibly reused.
    mutable std::mutex procMutex;
    pid_t pid = 0;
    bool exited = false; // ended; its zombie is kept until Close reaps it
    bool reaped = false;
    int exitCode = -1;

    int inFd = -1;  // parent's write end of the child's stdin
    int outFd = -1; // parent's read end of the child's stdout+stderr (non-blocking)
    int stopRead = -1, stopWrite = -1;

    std::thread reader;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> orphaned{false};
    std::atomic<int> readerResult{2};
    Event readerDone{Event::Reset::Manual};
    int lastError = 0;

    bool ExitedLocked();
    void KillAndReapLocked();
    void RequestStop();
    int Drain();
    void ReaderLoop();
    void ClosePipes();
};

namespace {
// Set on a reader thread to its runner, so Close knows when it is called from
// inside OnOutput.
thread_local const void* tReaderOf = nullptr;
} // namespace

bool CConsoleProcess::Impl::ExitedLocked() {
    if (pid <= 0 || exited)
        return true;
    // WNOWAIT leaves the child a zombie: its pid, and with it the id of its
    // process group, cannot be reused before Close has killed the group.
    siginfo_t info{};
    int r;
    do {
        r = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (r < 0 && errno == EINTR);
    if (r == 0 && info.si_pid == pid) {
        exited = true;
        exitCode = info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
    } else if (r < 0) {
        // Not our child any more (SIGCHLD ignored by the host): nothing to reap.
        exited = reaped = true;
    }
    return exited;
}

void CConsoleProcess::Impl::KillAndReapLocked() {
    if (pid <= 0 || reaped)
        return;
    // The whole group goes, also when the tool itself has ended: helpers it
    // started may hold our pipe open or outlive us.
    ::kill(-pid, SIGKILL);
    if (!exited)
        ::kill(pid, SIGKILL);
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    reaped = true;
    if (!exited && r == pid)
        exitCode = StatusToExitCode(status);
    exited = true;
}

void CConsoleProcess::Impl::RequestStop() {
    stopRequested = true;
    if (stopWrite >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(stopWrite, &byte, 1);
    }
}

// Hands everything the pipe holds to OnOutput, at most kChunkBytes at a time.
// 1: the pipe is empty for now; 0: every writer has closed it; -1: read error.
int CConsoleProcess::Impl::Drain() {
    char buffer[kChunkBytes + 1];
    for (;;) {
        if (stopRequested)
            return 1;
        const ssize_t n = ::read(outFd, buffer, kChunkBytes);
        if (n > 0) {
            buffer[n] = '\0';
            owner->OnOutput(buffer);
            continue;
        }
        if (n == 0)
            return 0;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 1;
        owner->OnError("Read stdout pipe error\r\n");
        return -1;
    }
}

void CConsoleProcess::Impl::ReaderLoop() {
    tReaderOf = this;
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(kPollIntervalMs);
    int r = Drain();
    auto lastCheck = Clock::now();
    while (r > 0) {
        pollfd fds[2] = {{outFd, POLLIN, 0}, {stopRead, POLLIN, 0}};
        const int n = ::poll(fds, 2, kPollIntervalMs);
        if (stopRequested || (n > 0 && fds[1].revents != 0)) {
            r = 1;
            break;
        }
        if (n > 0 && fds[0].revents != 0) {
            r = Drain();
            if (r <= 0)
                break;
        }
        // A child that ended while a helper it started still holds the pipe
        // open gives no end of file: look at the child itself once per interval.
        if (n == 0 || Clock::now() - lastCheck >= interval) {
            lastCheck = Clock::now();
            bool ended;
            {
                std::lock_guard lock(procMutex);
                ended = ExitedLocked();
            }
            if (ended) {
                r = Drain();
                if (r > 0)
                    r = 0;
                break;
            }
        }
    }
    if (r == 0) {
        // End of file usually means the child is exiting: give it one poll
        // interval so that its owner finds it ended and its exit code known.
        const auto deadline = Clock::now() + interval;
        for (;;) {
            {
                std::lock_guard lock(procMutex);
                if (ExitedLocked())
                    break;
            }
            pollfd stop = {stopRead, POLLIN, 0};
            if (Clock::now() >= deadline || ::poll(&stop, 1, 2) > 0 || stopRequested)
                break;
        }
    }
    readerResult = r;
    if (orphaned) {
        // The owner was destroyed from inside OnOutput and left this thread
        // detached with its state: clean up here.
        {
            std::lock_guard lock(procMutex);
            KillAndReapLocked();
        }
        ClosePipes();
        delete this;
        return;
    }
    readerDone.Set();
}

void CConsoleProcess::Impl::ClosePipes() {
    CloseFd(inFd);
    CloseFd(outFd);
    CloseFd(stopRead);
    CloseFd(stopWrite);
}

CConsoleProcess::CConsoleProcess() : impl_(std::make_unique<Impl>(this)) {}

CConsoleProcess::~CConsoleProcess() {
    Close();
    if (impl_ && impl_->reader.joinable()) {
        // Destroyed from inside OnOutput: the reader cannot be joined from
        // itself, so it is detached and frees its own state when it ends.
        impl_->orphaned = true;
        impl_->reader.detach();
        impl_.release();
    }
}

namespace {
// This process's environment with every variable named in extra replaced by
// (or completed with) extra's entry. The pointers stay valid while `storage`
// and environ do.
std::vector<char*> MergedEnvironment(const QStringList& extra, std::vector<QByteArray>& storage) {
    std::vector<char*> env;
    storage.reserve(extra.size());
    for (const QString& entry : extra)
        storage.push_back(entry.toUtf8());
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        const size_t nameLength = eq ? size_t(eq - *e) : std::strlen(*e);
        bool replaced = false;
        for (const QByteArray& entry : storage) {
            if (entry.size() > qsizetype(nameLength) && entry[qsizetype(nameLength)] == '=' &&
                std::strncmp(entry.constData(), *e, nameLength) == 0) {
                replaced = true;
                break;
            }
        }
        if (!replaced)
            env.push_back(*e);
    }
    for (QByteArray& entry : storage)
        env.push_back(entry.data());
    env.push_back(nullptr);
    return env;
}
} // namespace

int CConsoleProcess::Open(const QStringList& argv, const QString& workingDir, const QStringList& extraEnv) {
    Impl& d = *impl_;
    int outPipe[2] = {-1, -1}, inPipe[2] = {-1, -1}, stopPipe[2] = {-1, -1};
    int err = 0;
    if (d.pid != 0 || d.reader.joinable())
        err = EBUSY; // one object serves one child
    else if (argv.isEmpty() || argv.first().isEmpty())
        err = ENOENT;
    else if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(inPipe, O_CLOEXEC) != 0 ||
             ::pipe2(stopPipe, O_CLOEXEC) != 0)
        err = errno;

    if (err == 0) {
        std::vector<QByteArray> encoded;
        encoded.reserve(argv.size());
        for (const QString& arg : argv)
            encoded.push_back(QFile::encodeName(arg));
        std::vector<char*> args;
        for (QByteArray& arg : encoded)
            args.push_back(arg.data());
        args.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attr;
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_adddup2(&actions, inPipe[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDERR_FILENO);
        const QByteArray dir = QFile::encodeName(workingDir);
        if (!workingDir.isEmpty())
            posix_spawn_file_actions_addchdir_np(&actions, dir.constData());
        // Nothing else of ours leaks into the tool (another tool's pipe held
        // open by it would never report end of file).
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
        sigset_t all, none;
        sigfillset(&all);
        sigemptyset(&none);
        posix_spawnattr_setflags(&attr,
                                 POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        posix_spawnattr_setpgroup(&attr, 0);
        posix_spawnattr_setsigdefault(&attr, &all);
        posix_spawnattr_setsigmask(&attr, &none);
        std::vector<QByteArray> envStorage;
        std::vector<char*> env;
        if (!extraEnv.isEmpty())
            env = MergedEnvironment(extraEnv, envStorage);
        pid_t pid = 0;
        err = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(),
                             extraEnv.isEmpty() ? environ : env.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        if (err == 0) {
            std::lock_guard lock(d.procMutex);
            d.pid = pid;
        }
    }
    // The child's ends belong to the child alone.
    CloseFd(outPipe[1]);
    CloseFd(inPipe[0]);

    if (err == 0) {
        ::fcntl(outPipe[0], F_SETFL, ::fcntl(outPipe[0], F_GETFL) | O_NONBLOCK);
        d.outFd = outPipe[0];
        d.inFd = inPipe[1];
        d.stopRead = stopPipe[0];
        d.stopWrite = stopPipe[1];
        outPipe[0] = inPipe[1] = stopPipe[0] = stopPipe[1] = -1;
        try {
            d.reader = std::thread(&Impl::ReaderLoop, &d);
        } catch (const std::system_error& e) {
            err = e.code().value() ? e.code().value() : EAGAIN;
        }
    }
    if (err == 0) {
        d.lastError = 0;
        return 1;
    }

    char text[64];
    std::snprintf(text, sizeof text, "Redirect console error: %x\r\n", static_cast<unsigned>(err));
    OnError(text);
    CloseFd(outPipe[0]);
    CloseFd(inPipe[1]);
    CloseFd(stopPipe[0]);
    CloseFd(stopPipe[1]);
    if (err != EBUSY)
        Close();
    d.lastError = err;
    errno = err;
    return 0;
}

int CConsoleProcess::WriteText(const QByteArray& bytes) {
    Impl& d = *impl_;
    if (d.inFd < 0)
        return 0;
    // A child that has stopped reading must not kill us with SIGPIPE: block
    // it for this thread and swallow the one our write raises.
    sigset_t pipeSet, oldMask, pending;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &oldMask);
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE);

    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(d.inFd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            if (errno == EPIPE && !wasPending) {
                const timespec zero{0, 0};
                while (sigtimedwait(&pipeSet, nullptr, &zero) < 0 && errno == EINTR) {
                }
            }
            break;
        }
        p += n;
        left -= n;
    }
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    return ok ? 1 : 0;
}

void CConsoleProcess::Stop() {
    Impl& d = *impl_;
    std::lock_guard lock(d.procMutex);
    if (d.ExitedLocked())
        return;
    // SIGINT lets the tool end the way a console interrupt would; the whole
    // group gets it, like every process of a console.
    if (::kill(-d.pid, SIGINT) != 0)
        ::kill(d.pid, SIGINT);
}

bool CConsoleProcess::WaitForReader(int ms) {
    Impl& d = *impl_;
    if (!d.reader.joinable())
        return true;
    return d.readerDone.Wait(ms);
}

void CConsoleProcess::Close() {
    Impl& d = *impl_;
    if (tReaderOf == &d) {
        // Called from OnOutput: the reader cannot join itself. It stops after
        // this chunk; the owner's Close joins it and closes the pipes.
        d.RequestStop();
        std::lock_guard lock(d.procMutex);
        d.KillAndReapLocked();
        return;
    }
    std::lock_guard closeLock(d.closeMutex);
    if (d.reader.joinable()) {
        d.RequestStop();
        d.reader.join();
    }
    {
        std::lock_guard lock(d.procMutex);
        d.KillAndReapLocked();
    }
    d.ClosePipes();
}

bool CConsoleProcess::IsRunning() {
    Impl& d = *impl_;
    std::lock_guard lock(d.procMutex);
    return d.pid > 0 && !d.ExitedLocked();
}

qint64 CConsoleProcess::ProcessId() const {
    std::lock_guard lock(impl_->procMutex);
    return impl_->pid;
}

int CConsoleProcess::ReaderResult() const {
    return impl_->readerResult;
}

int CConsoleProcess::ExitCode() const {
    std::lock_guard lock(impl_->procMutex);
    return impl_->exitCode;
}

int CConsoleProcess::LastError() const {
    return impl_->lastError;
}
