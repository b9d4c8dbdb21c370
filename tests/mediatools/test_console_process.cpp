#include "mediatools/CConsoleProcess.h"

#include "ScriptTool.h"
#include "support/TempDirTest.h"
#include "support/WaitFor.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class Recorder : public CConsoleProcess {
  public:
    ~Recorder() override { Close(); }

    std::vector<QByteArray> Chunks() const {
        std::lock_guard lock(mutex_);
        return chunks_;
    }
    QByteArray All() const {
        QByteArray all;
        for (const QByteArray& chunk : Chunks())
            all += chunk;
        return all;
    }
    std::vector<QByteArray> Errors() const {
        std::lock_guard lock(mutex_);
        return errors_;
    }
    bool WaitForText(const QByteArray& text, int ms) const {
        return WaitFor([&] { return All().contains(text); }, std::chrono::milliseconds(ms));
    }
    bool closeInOutput = false;

  protected:
    void OnOutput(const char* chunk) override {
        std::lock_guard lock(mutex_);
        chunks_.emplace_back(chunk, static_cast<qsizetype>(std::strlen(chunk)));
        if (closeInOutput && chunks_.size() == 3)
            Close();
    }
    void OnError(const char* text) override {
        std::lock_guard lock(mutex_);
        errors_.emplace_back(text);
    }

  private:
    mutable std::mutex mutex_;
    std::vector<QByteArray> chunks_, errors_;
};

class ConsoleProcessTest : public TempDirTest {
  protected:
    QStringList Tool(const char* name, const QByteArray& body) { return {WriteScriptTool(Path(name), body)}; }
};

} // namespace

TEST_F(ConsoleProcessTest, SilentChildEndsWithResultZeroAndNoOutput) {
    Recorder run;
    ASSERT_EQ(run.Open(Tool("silent", "exit 3")), 1);
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_EQ(run.ReaderResult(), 0);
    EXPECT_TRUE(run.Chunks().empty());
    EXPECT_TRUE(run.Errors().empty());
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(run.ExitCode(), 3);
}

TEST_F(ConsoleProcessTest, OutputArrivesInNulTerminatedChunksOfAtMost255Bytes) {
    Recorder run;
    // 600 bytes written at once, then a line on standard error.
    ASSERT_EQ(run.Open(Tool("loud", "printf '%0600d' 7; echo 'on stderr' >&2")), 1);
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_EQ(run.ReaderResult(), 0);
    for (const QByteArray& chunk : run.Chunks()) {
        EXPECT_GT(chunk.size(), 0);
        EXPECT_LE(chunk.size(), CConsoleProcess::kChunkBytes);
    }
    EXPECT_GE(run.Chunks().size(), 3u);
    EXPECT_EQ(run.All(), QByteArray(599, '0') + "7on stderr\n");
}

TEST_F(ConsoleProcessTest, ArgumentsReachTheToolUntouchedWithoutAShell) {
    Recorder run;
    const QString odd = QString::fromUtf8("a b \"q\" '$(touch pwned)' `id` ;| \xC3\xA9\xE6\x97\xA5");
    const QStringList argv = Tool("args", "for a in \"$@\"; do printf '[%s]' \"$a\"; done; pwd");
    ASSERT_EQ(run.Open(argv + QStringList{odd, "", "-x"}, Path()), 1);
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_EQ(QString::fromUtf8(run.All()), "[" + odd + "][][-x]" + Path() + "\n");
    EXPECT_FALSE(QFile::exists(Path("pwned")));
}

TEST_F(ConsoleProcessTest, ExtraEnvironmentReplacesOrAddsVariablesAndKeepsTheRest) {
    qputenv("ZORV_TEST_REPLACED", "parent");
    qputenv("ZORV_TEST_KEPT", "kept");
    Recorder run;
    const QStringList argv =
        Tool("env", "printf '%s|%s|%s|' \"$ZORV_TEST_REPLACED\" \"$ZORV_TEST_KEPT\" \"$ZORV_TEST_ADDED\"; "
                    "env | grep -c '^ZORV_TEST_REPLACED='");
    ASSERT_EQ(run.Open(argv, QString(), {"ZORV_TEST_REPLACED=child", "ZORV_TEST_ADDED=a=b c"}), 1);
    ASSERT_TRUE(run.WaitForReader(10000));
    qunsetenv("ZORV_TEST_REPLACED");
    qunsetenv("ZORV_TEST_KEPT");
    EXPECT_EQ(run.All(), "child|kept|a=b c|1\n");
}

TEST_F(ConsoleProcessTest, MissingProgramFailsWithCodeTwoAndLeavesTheObjectClosed) {
    for (const QString& program : {Path("no-such-tool"), QString("zorv-no-such-tool-on-path")}) {
        Recorder run;
        EXPECT_EQ(run.Open({program}), 0);
        ASSERT_EQ(run.Errors().size(), 1u);
        EXPECT_EQ(run.Errors()[0], "Redirect console error: 2\r\n");
        EXPECT_EQ(run.LastError(), 2);
        EXPECT_EQ(run.ProcessId(), 0);
        EXPECT_EQ(run.Write("x\n"), 0);
        EXPECT_TRUE(run.WaitForReader(0));
        run.Close();
        run.Close();
        EXPECT_EQ(run.Errors().size(), 1u);
    }
}

TEST_F(ConsoleProcessTest, WriteFeedsStandardInputAndSurvivesAChildThatLeft) {
    Recorder run;
    ASSERT_EQ(run.Open(Tool("echoer", "read line; echo \"got $line\"")), 1);
    EXPECT_NE(run.Write("get_percent_pos %d\n", 5), 0);
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_EQ(run.All(), "got get_percent_pos 5\n");
    // The child is gone and nobody reads the pipe: a failed write, not SIGPIPE.
    EXPECT_EQ(run.Write("again\n"), 0);
}

TEST_F(ConsoleProcessTest, StopInterruptsARunningChildAndLeavesNoZombie) {
    Recorder run;
    ASSERT_EQ(run.Open(Tool("sleeper", "echo ready; exec sleep 30; echo late")), 1);
    const qint64 pid = run.ProcessId();
    ASSERT_GT(pid, 0);
    // An interrupt that reaches the script shell while it starts its
    // command is caught and dropped by the shell: interrupt the tool itself.
    ASSERT_TRUE(WaitFor([&] { return ReadFile(QString("/proc/%1/comm").arg(pid)) == "sleep\n"; }));
    EXPECT_TRUE(run.IsRunning());
    run.Stop();
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_EQ(run.ReaderResult(), 0);
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(run.ExitCode(), 128 + SIGINT);
    EXPECT_FALSE(run.All().contains("late"));

    // A second Stop on the ended run signals nothing and changes nothing.
    run.Stop();
    EXPECT_EQ(run.ExitCode(), 128 + SIGINT);
    run.Close();
    EXPECT_FALSE(ProcessExists(pid)) << "child left as a zombie";
}

TEST_F(ConsoleProcessTest, StopOnAnEndedChildDoesNothing) {
    Recorder run;
    ASSERT_EQ(run.Open(Tool("quick", "echo done")), 1);
    ASSERT_TRUE(run.WaitForReader(10000));
    run.Stop();
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_EQ(run.ReaderResult(), 0);
    EXPECT_EQ(run.All(), "done\n");
}

TEST_F(ConsoleProcessTest, CloseKillsARunningChildReapsItAndMayRepeat) {
    Recorder run;
    // The tool ignores the polite interrupt: only Close's kill ends it.
    ASSERT_EQ(run.Open(Tool("stubborn", "trap '' INT; echo ready; while :; do sleep 1; done")), 1);
    ASSERT_TRUE(run.WaitForText("ready", 10000));
    const qint64 pid = run.ProcessId();
    run.Stop();
    EXPECT_FALSE(run.WaitForReader(300));
    run.Close();
    EXPECT_EQ(run.ReaderResult(), 1);
    EXPECT_EQ(run.ExitCode(), 128 + SIGKILL);
    EXPECT_FALSE(ProcessExists(pid));
    run.Close();
    EXPECT_TRUE(run.WaitForReader(0));
}

TEST_F(ConsoleProcessTest, ChildEndIsNoticedWhileAHelperStillHoldsThePipe) {
    Recorder run;
    ASSERT_EQ(run.Open(Tool("parent", "sleep 30 & echo started")), 1);
    // The background helper keeps the write end open: no end of file for
    // thirty seconds, yet the reader ends as soon as the child itself has.
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_EQ(run.ReaderResult(), 0);
    EXPECT_EQ(run.All(), "started\n");
}

TEST_F(ConsoleProcessTest, CloseEndsHelpersTheEndedToolLeftBehind) {
    Recorder run;
    ASSERT_EQ(run.Open(Tool("parent", "sleep 30 & echo started")), 1);
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_FALSE(run.IsRunning());
    const pid_t group = static_cast<pid_t>(run.ProcessId());
    ASSERT_EQ(::kill(-group, 0), 0) << "the helper should still run";
    run.Close();
    EXPECT_TRUE(WaitFor([&] { return ::kill(-group, 0) != 0 && errno == ESRCH; }))
        << "a process of the tool's group outlived Close";
}

TEST_F(ConsoleProcessTest, CloseFromInsideOnOutputEndsTheRunWithoutDeadlock) {
    Recorder run;
    run.closeInOutput = true;
    ASSERT_EQ(run.Open(Tool("flood", "while :; do echo xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx; done")),
              1);
    const qint64 pid = run.ProcessId();
    ASSERT_TRUE(run.WaitForReader(10000));
    EXPECT_EQ(run.ReaderResult(), 1);
    EXPECT_EQ(run.Chunks().size(), 3u);
    run.Close();
    EXPECT_FALSE(ProcessExists(pid));
}

TEST_F(ConsoleProcessTest, DestroyingARunningObjectEndsEverything) {
    qint64 pid = 0;
    {
        Recorder run;
        ASSERT_EQ(run.Open(Tool("long", "echo ready; sleep 30")), 1);
        ASSERT_TRUE(run.WaitForText("ready", 10000));
        pid = run.ProcessId();
    }
    EXPECT_FALSE(ProcessExists(pid));
}
