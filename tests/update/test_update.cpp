#include "update/CheckVersion.h"

#include "base/AppLog.h"
#include "platform/MessageTarget.h"
#include "sitesim/SiteSimulator.h"
#include "support/RawHttpServer.h"
#include "support/SimulatorSuite.h"

#include <QFile>

#include <chrono>

TEST(VersionCompare, MajorThenMinorThenBuild) {
    const VersionTriple current{1, 0, 8};
    EXPECT_TRUE(IsNewerVersion(current, {1, 0, 9}));
    EXPECT_TRUE(IsNewerVersion(current, {1, 1, 0}));
    EXPECT_TRUE(IsNewerVersion(current, {2, 0, 0}));
    EXPECT_FALSE(IsNewerVersion(current, {1, 0, 8}));
    EXPECT_FALSE(IsNewerVersion(current, {0, 9, 99}));
    EXPECT_FALSE(IsNewerVersion(current, {1, 0, 7}));
    const VersionTriple unpacked = UnpackVersion(PackVersionWParam({3, 65537, 9}), 9);
    EXPECT_EQ(unpacked.major, 3);
    EXPECT_EQ(unpacked.minor, 1); // only the low 16 bits travel
    EXPECT_EQ(unpacked.build, 9);
}

class UpdateCheckTest : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        qputenv("ZORV_CONNECT_TO", sim_->ConnectToValue().toUtf8());
        qputenv("ZORV_CA_BUNDLE", QFile::encodeName(sim_->CaBundlePath()));
        sim_->SetVersionFile(VersionFileMode::Misspelt);
        InitLog(Path("ruzivar.log"));
        SetVersionReceiver(&queue_);
    }
    void TearDown() override {
        SetVersionReceiver(nullptr);
        ShutdownLog();
        TempDirTest::TearDown();
    }
    // Runs a check of version 1.0.8 on its own thread and returns its message.
    std::optional<PostedMessage> Check(const QString& published) {
        sim_->SetPublishedVersion(published);
        std::thread t = StartCheckVersionThread({1, 0, 8});
        t.join();
        return queue_.Wait(std::chrono::milliseconds(0));
    }
    QString Log() const { return QString::fromUtf8(ReadFile(Path("ruzivar.log"))); }

    QueueMessageTarget queue_;
};

TEST_F(UpdateCheckTest, ReportsNewerVersions) {
    for (const char* published : {"1.0.9", "1.1.0", "2.0.0"}) {
        auto m = Check(published);
        ASSERT_TRUE(m) << published;
        EXPECT_EQ(m->msg, UM_VERSION_NEWER) << published;
        const VersionTriple v = UnpackVersion(m->wParam, m->lParam);
        EXPECT_EQ(QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.build), published);
        EXPECT_TRUE(Log().contains(
            QStringLiteral("INFO CheckVersionThread <> - New version available: %1").arg(published)));
    }
    EXPECT_TRUE(Log().contains("Checking upgrade version..."));
    EXPECT_TRUE(Log().contains("INFO CCheckUpdateDlg::GetFile <> - Downloading file from url: "
                               "http://update.quillmere.example/zorvfetch_version.ini"));
    EXPECT_TRUE(QFile::exists(LocalVersionFilePath()));
}

TEST_F(UpdateCheckTest, SameOrOlderIsNotNewer) {
    for (const char* published : {"1.0.8", "0.9.99"}) {
        auto m = Check(published);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->msg, UM_VERSION_CURRENT) << published;
    }
    EXPECT_TRUE(Log().contains("No new version available: 0.9.99"));
}

TEST_F(UpdateCheckTest, CorrectlySpelledSectionReadsAsZero) {
    sim_->SetVersionFile(VersionFileMode::Correct);
    auto m = Check("9.9.9");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->msg, UM_VERSION_CURRENT);
    EXPECT_EQ(m->wParam, 0);
    EXPECT_TRUE(Log().contains("No new version available: 0.0.0"));
}

TEST_F(UpdateCheckTest, MinorTravelsAsItsLow16BitsWhileTheLogShowsAll) {
    auto m = Check("1.65536.0");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->msg, UM_VERSION_NEWER);
    EXPECT_EQ(UnpackVersion(m->wParam, m->lParam).minor, 0);
    EXPECT_TRUE(Log().contains("New version available: 1.65536.0"));
}

TEST_F(UpdateCheckTest, NoServerFailsAndKeepsTheLastGoodFile) {
    ASSERT_TRUE(Check("1.0.9"));
    const QByteArray good = ReadFile(LocalVersionFilePath());
    qputenv("ZORV_CONNECT_TO", "update.quillmere.example:80:127.0.0.1:1");
    auto m = Check("1.0.9");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->msg, UM_VERSION_FAILED);
    EXPECT_TRUE(Log().contains("ERROR CCheckUpdateDlg::GetFile <> - Error occured: "));
    EXPECT_TRUE(Log().contains("INFO CheckVersionThread <> - Check new version failed."));
    EXPECT_EQ(ReadFile(LocalVersionFilePath()), good);
}

TEST_F(UpdateCheckTest, MissingVersionFileFailsAndKeepsTheLastGoodFile) {
    // A 404 page is no version file: it must neither read as "no new
    // version" nor replace the file of the last good check.
    ASSERT_TRUE(Check("1.0.9"));
    const QByteArray good = ReadFile(LocalVersionFilePath());
    sim_->SetVersionFile(VersionFileMode::Missing);
    auto m = Check("1.0.9");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->msg, UM_VERSION_FAILED);
    EXPECT_TRUE(Log().contains("ERROR CCheckUpdateDlg::GetFile <> - Error occured: "));
    EXPECT_FALSE(Log().contains("No new version available: 0.0.0"));
    EXPECT_EQ(ReadFile(LocalVersionFilePath()), good);
}

TEST_F(UpdateCheckTest, NoReceiverPostsAndLogsNoResult) {
    SetVersionReceiver(nullptr);
    EXPECT_FALSE(Check("1.0.9"));
    EXPECT_FALSE(Log().contains("New version available"));
    EXPECT_FALSE(queue_.Wait(std::chrono::milliseconds(0)));
}

// A redirect is followed to a web address only: another protocol is refused
// before any connection.
TEST_F(UpdateCheckTest, RedirectsAreFollowedOnlyToTheWeb) {
    const QByteArray ini = "[Gerneral]\r\nmajor_version=1\r\nminor_version=0\r\nbuild=9\r\n";
    RawHttpServer target("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(ini.size()) +
                         "\r\nConnection: close\r\n\r\n" + ini);
    const struct {
        QByteArray location;
        bool followed;
    } cases[] = {
        {"http://127.0.0.1:" + QByteArray::number(target.Port()) + "/zorvfetch_version.ini", true},
        {"ftp://127.0.0.1:1/zorvfetch_version.ini", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location.toStdString());
        RawHttpServer redirect("HTTP/1.1 302 Found\r\nLocation: " + c.location +
                               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        qputenv("ZORV_CONNECT_TO",
                QByteArrayLiteral(ZORV_UPDATE_HOST) + ":80:127.0.0.1:" + QByteArray::number(redirect.Port()));
        const qsizetype served = target.Heads().size();
        auto m = Check("1.0.9");
        ASSERT_TRUE(m);
        EXPECT_EQ(m->msg, c.followed ? UM_VERSION_NEWER : UM_VERSION_FAILED);
        EXPECT_EQ(target.Heads().size(), served + (c.followed ? 1 : 0));
        EXPECT_EQ(Log().contains(QLatin1String("Protocol \"ftp\"")), !c.followed);
    }
}
