// A process killed in the middle of inserting must leave a sound file that
// still holds every row it had committed.
#include "history/HistoryDb.h"

#include "base/AppFolders.h"

#include "support/TempDirTest.h"

#include <QSet>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

extern char** environ;

namespace {

struct ChildRun {
    std::string output;
    int status = 0;
};

// Starts the inserting child, waits until it has reported `commits` committed
// rows, lets it run `runFor` longer, kills it with SIGKILL and collects
// everything it printed. Counting rows rather than time keeps the kills
// landing among insertions however slow the machine is.
ChildRun RunAndKill(const std::string& tag, int commits, std::chrono::milliseconds runFor) {
    ChildRun run;
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "pipe";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    const std::string program = HISTORY_CRASH_CHILD;
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(tag.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }

    // Drain the pipe while the child runs so it never blocks on a full pipe.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool counted = false;
    char buffer[4096];
    for (;;) {
        // "open" and then one line per committed row.
        if (!counted && std::count(run.output.begin(), run.output.end(), '\n') > commits) {
            counted = true;
            deadline = std::chrono::steady_clock::now() + runFor;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) > 0) {
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            run.output.append(buffer, static_cast<size_t>(n));
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, &run.status, 0);
    // What the child wrote before it died is still in the pipe.
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    return run;
}

class HistoryCrashTest : public TempDirTest {};

} // namespace

TEST_F(HistoryCrashTest, KilledWritersLoseNoCommittedRow) {
    std::mt19937 random(20120305);
    std::uniform_int_distribution<int> commits(1, 4);
    std::uniform_int_distribution<int> runMs(0, 40);
    QSet<QString> committed;
    int kills = 0;
    for (int round = 0; round < 24; ++round) {
        const std::string tag = "r" + std::to_string(round);
        const ChildRun run = RunAndKill(tag, commits(random), std::chrono::milliseconds(runMs(random)));
        ASSERT_TRUE(WIFSIGNALED(run.status)) << "child ended on its own: " << run.status << "\n"
                                             << run.output;
        EXPECT_EQ(WTERMSIG(run.status), SIGKILL);
        ++kills;
        // Only whole lines count: a cut last line was never fully reported.
        const QStringList lines = QString::fromStdString(run.output).split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            if (lines[i] != "open")
                committed.insert(
                    QStringLiteral("/crash/%1_%2.flv").arg(QString::fromStdString(tag), lines[i]));

        // Reopening recovers whatever the kill left half done.
        std::unique_ptr<SqliteConnection> db;
        ASSERT_EQ(OpenHistoryDB(db), 1);
        SqliteResultSet check = db->Query("PRAGMA integrity_check;");
        ASSERT_FALSE(check.AtEnd());
        EXPECT_STREQ(check.ColumnText(0), "ok") << "after round " << round;
        check.Finalize();

        QSet<QString> present;
        SqliteResultSet rows = db->Query("SELECT dest_file_name FROM history;");
        for (; !rows.AtEnd(); rows.Next())
            present.insert(QString::fromUtf8(rows.ColumnText(0)));
        rows.Finalize();
        for (const QString& path : committed)
            ASSERT_TRUE(present.contains(path)) << "lost " << path.toStdString() << " after round " << round;
        int total = 0;
        for (const char* label : {"YOUTUBE", "GOOGLE", "METACAFE", "NICOVIDEO"})
            total += CountHistory(db.get(), label);
        EXPECT_EQ(total, CountHistory(db.get()));
    }
    EXPECT_GE(kills, 20);
    // The rounds must have killed writers that had committed something.
    EXPECT_GT(committed.size(), 20);
    std::printf("%d kills, %lld committed rows checked\n", kills, static_cast<long long>(committed.size()));
}
