#include "base/AppLog.h"

#include "support/TempDirTest.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <clocale>
#include <string>
#include <thread>
#include <vector>

class AppLogTest : public TempDirTest {
  protected:
    void TearDown() override {
        ShutdownLog();
        std::setlocale(LC_ALL, "C");
        qunsetenv("LOCPATH");
        TempDirTest::TearDown();
    }
    QStringList Lines() const {
        return QString::fromUtf8(ReadFile(Path("ruzivar.log"))).split('\n', Qt::SkipEmptyParts);
    }
};

TEST_F(AppLogTest, LinesHaveTheFixedLayout) {
    InitLog(Path("ruzivar.log"));
    {
        LogContextScope scope("OnInitDialog");
        LogInfo("CTrevaloDlg", "Initializing main dialog ...");
    }
    LogWarnW("CVideoDownloader", QString::fromUtf8("Retrying download 2, video id: \xE3\x81\x82"));
    LogError(nullptr, "Error: %s", "boom");
    LogInfo("main", "debug is %d", 0);

    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0].section(" - ", 1), QString(75, '-'));
    EXPECT_TRUE(lines[1].endsWith("INFO main <> - Logger initialized."));
    static const QRegularExpression layout(
        R"(^\d\d-\d\d-\d\d \d\d:\d\d:\d\d, (AM|PM) \[\d+\] INFO CTrevaloDlg <OnInitDialog> - Initializing main dialog \.\.\.$)");
    EXPECT_TRUE(layout.match(lines[2]).hasMatch()) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].endsWith(
        QString::fromUtf8("WARN CVideoDownloader <> - Retrying download 2, video id: \xE3\x81\x82")));
    EXPECT_TRUE(lines[4].endsWith("ERROR main <> - Error: boom"));
}

TEST_F(AppLogTest, DesignatorIsAmOrPmUnderAnyLocale) {
    // The locales are built into the test's own folder: nothing system-wide.
    ASSERT_TRUE(QDir().mkpath(Path("locales")));
    qputenv("LOCPATH", QFile::encodeName(Path("locales")));
    InitLog(Path("ruzivar.log"));
    for (const char* name : {"de_DE", "ja_JP"}) {
        const QString target = Path("locales/") + name + ".UTF-8";
        ASSERT_EQ(QProcess::execute("localedef", {"-i", name, "-f", "UTF-8", target}), 0) << name;
        ASSERT_NE(std::setlocale(LC_ALL, (std::string(name) + ".UTF-8").c_str()), nullptr) << name;
        LogInfo("main", "%s", name);
    }
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 4);
    static const QRegularExpression stamp(R"(^\d\d-\d\d-\d\d (\d\d):\d\d:\d\d, (AM|PM) \[)");
    for (const QString& line : lines.mid(2)) {
        const QRegularExpressionMatch m = stamp.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        EXPECT_EQ(m.captured(2), m.captured(1).toInt() < 12 ? "AM" : "PM") << line.toStdString();
    }
}

TEST_F(AppLogTest, LongMessagesAreCutAt1023Characters) {
    InitLog(Path("ruzivar.log"));
    LogInfo("main", "%s", std::string(5000, 'x').c_str());
    LogInfoW("main", QString(5000, QChar(0x3042)));
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[2].section(" - ", 1).size(), 1023);
    EXPECT_EQ(lines[3].section(" - ", 1).size(), 1023);
}

TEST_F(AppLogTest, RotatesOnlyFilesLargerThanOneMebibyte) {
    const QString path = Path("ruzivar.log");
    WriteFile("ruzivar.log", QByteArray(1048576, 'a'));
    InitLog(path);
    ShutdownLog();
    EXPECT_GT(QFile(path).size(), 1048576); // exactly the limit is kept and appended to

    WriteFile("ruzivar.log", QByteArray(1048577, 'a'));
    InitLog(path);
    EXPECT_LT(QFile(path).size(), 4096);
}

TEST_F(AppLogTest, LinesFromManyThreadsNeverInterleave) {
    InitLog(Path("ruzivar.log"));
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i)
                LogInfo("worker", "thread %d line %d %s", t, i, std::string(200, char('a' + t)).c_str());
        });
    for (auto& th : threads)
        th.join();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2 + 8 * 500);
    static const QRegularExpression whole(R"( - thread (\d) line \d+ ([a-h])\2{199}$)");
    for (int i = 2; i < lines.size(); ++i) {
        auto m = whole.match(lines[i]);
        ASSERT_TRUE(m.hasMatch()) << lines[i].toStdString();
        EXPECT_EQ(m.captured(2).at(0).unicode() - 'a', m.captured(1).toInt());
    }
}
