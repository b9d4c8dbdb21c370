// zorv-get as its users run it: a real process against the site simulator.

#include "history/HistoryDb.h"
#include "history/SqliteConnection.h"
#include "sitesim/SiteSimulator.h"
#include "support/SimulatorSuite.h"
#include "support/ZorvGetRunner.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <sys/resource.h>

class ZorvGetTest : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        runner_ = std::make_unique<ZorvGetRunner>(Path("user"), *sim_);
    }
    QString Out() const { return Path("out"); }

    std::unique_ptr<ZorvGetRunner> runner_;
};

namespace {
const QString kMetacafe = "http://www.metacafe.com/watch/1000001/sample_clip/";
}

TEST_F(ZorvGetTest, DownloadsIdentifiesAndRecordsInHistory) {
    // As copied from a terminal: the line break and spaces are not the address's.
    const ZorvGetRun run = runner_->Run({"-o", Out(), QString(" ") + kMetacafe + "\n"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QString path = Out() + "/MetaCafe/1000001.flv";
    const QRegularExpression finalLine("^" + QRegularExpression::escape(path) +
                                       "  00:00:0\\d FLV1 \\d+x\\d+ \\d+ fps$");
    EXPECT_TRUE(finalLine.match(run.OutLines().last()).hasMatch()) << run.out.toStdString();
    EXPECT_EQ(ReadFile(path), ReadFile(sim_->MediaPath("flv")));
    EXPECT_FALSE(QFile::exists(path + ".qxt"));

    const ZorvGetRun history = runner_->Run({"--history", "METACAFE"});
    ASSERT_EQ(history.exitCode, 0);
    ASSERT_EQ(history.OutLines().size(), 1);
    const QStringList columns = history.OutLines().first().split('\t');
    EXPECT_EQ(columns.value(0), "METACAFE");
    EXPECT_EQ(columns.value(3), "FLV1");
    EXPECT_EQ(columns.value(5), path);
    EXPECT_EQ(columns.value(6), kMetacafe);
    EXPECT_TRUE(runner_->Run({"--history", "YOUTUBE"}).OutLines().isEmpty());
}

TEST_F(ZorvGetTest, RelativeOutputFoldersAreRecordedAbsolute) {
    // On the command line a folder is relative to the working folder; a
    // stored one is placed under the home folder.
    QDir().mkpath(Path("cwd"));
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Path("cwd")));
    const ZorvGetRun run = runner_->Run({"-o", "relout", kMetacafe});
    QDir::setCurrent(saved);
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    runner_->SetSetting("Setting/Output/OutputFolder", "stored");
    ASSERT_EQ(runner_->Run({kMetacafe}).exitCode, 0);

    QStringList recorded;
    for (const QString& line : runner_->Run({"--history", "METACAFE"}).OutLines())
        recorded << line.split('\t').value(5);
    recorded.sort();
    EXPECT_EQ(recorded, (QStringList{Path("cwd/relout/MetaCafe/1000001.flv"),
                                     Path("user/stored/MetaCafe/1000001.flv")}));
}

TEST_F(ZorvGetTest, FailedAndUnsupportedAddressesGiveErrorLinesAndExitOne) {
    const ZorvGetRun run =
        runner_->Run({"-q", "-o", Out(), "http://www.metacafe.com/watch/1000004/cut_short/",
                      "http://example.com/video", "ftp://www.metacafe.com/watch/1000001/"});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.OutLines().size(), 3) << run.out.toStdString(); // quiet: only the result lines
    EXPECT_EQ(run.OutLines()[0], "error: Network error, can not get FLV file");
    EXPECT_TRUE(run.OutLines()[1].startsWith("error: not a video page")) << run.out.toStdString();
    EXPECT_EQ(run.OutLines()[2],
              "error: not a web address (http:// or https://): ftp://www.metacafe.com/watch/1000001/");
    EXPECT_FALSE(QFile::exists(Out() + "/MetaCafe/1000004.flv"));
    EXPECT_FALSE(QFile::exists(Out() + "/MetaCafe/1000004.flv.qxt"));
}

TEST_F(ZorvGetTest, FileSizeLimitFailsTheDownloadsNotTheProgram) {
    const qint64 media = QFileInfo(sim_->MediaPath("flv")).size();
    ASSERT_GT(media, 40000); // half of it leaves room for the log and the history file
    // The child inherits the limit; this process writes no file meanwhile.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(media / 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const ZorvGetRun run =
        runner_->Run({"-q", "-o", Out(), kMetacafe, "http://www.metacafe.com/watch/1000002/lower_case/"});
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(run.exitCode, 1) << "ended by a signal?" << run.err.toStdString();
    ASSERT_EQ(run.OutLines().size(), 2) << run.out.toStdString();
    for (const QString& line : run.OutLines())
        EXPECT_TRUE(line.startsWith("error: ")) << line.toStdString();
    EXPECT_EQ(QDir(Out() + "/MetaCafe").entryList(QDir::Files), QStringList());
}

TEST_F(ZorvGetTest, HistoryFailuresAreReportedAsWarnings) {
    const QString dbPath = runner_->DataFolder() + "/history.db";
    // A folder where the database belongs: it cannot be opened.
    ASSERT_TRUE(QDir().mkpath(dbPath));
    ZorvGetRun run = runner_->Run({"-q", "-o", Out(), kMetacafe});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(
        "zorv-get: warning: the history database cannot be opened; downloads are not recorded\n"))
        << run.err.toStdString();
    ASSERT_TRUE(QDir(dbPath).removeRecursively());

    // A table of another shape: the database opens, the row is refused.
    {
        SqliteConnection db;
        db.Open(dbPath.toUtf8().constData());
        db.Execute("CREATE TABLE history(id INTEGER PRIMARY KEY);");
        db.Close();
    }
    run = runner_->Run({"-q", "-o", Out(), kMetacafe});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("zorv-get: warning: not recorded in the history: " + Out() +
                                 "/MetaCafe/1000001_001.flv\n"))
        << run.err.toStdString();
    EXPECT_EQ(run.OutLines().size(), 1) << run.out.toStdString();
}

TEST_F(ZorvGetTest, HostileTitlesReachTheTerminalDefused) {
    // A catalogue with one more clip whose title carries terminal controls.
    QFile shipped(qEnvironmentVariable("ZORV_SOURCE_DIR") + "/tools/sitesim/catalogue.json");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QJsonObject catalogue = QJsonDocument::fromJson(shipped.readAll()).object();
    QJsonArray metacafe = catalogue["metacafe"].toArray();
    metacafe.append(QJsonObject{{"id", "1000009"},
                                {"slug", "hostile"},
                                {"title", QString("\x1b]0;owned\x07"
                                                  "Evil\r\nerror: fake line\x1b[2J")},
                                {"param", "mediaURL"},
                                {"media", "flv"}});
    catalogue["metacafe"] = metacafe;
    const QString cataloguePath = WriteFile("catalogue.json", QJsonDocument(catalogue).toJson());
    SiteSimulatorOptions options;
    options.catalogueFile = cataloguePath;
    options.mediaDir = sim_->StateDir() + "/media";
    SiteSimulator hostile(options);
    QString error;
    ASSERT_TRUE(hostile.Start(&error)) << error.toStdString();
    const ZorvGetRunner runner(Path("hostile-user"), hostile);

    const ZorvGetRun run = runner.Run({"-t", "-o", Out(), "http://www.metacafe.com/watch/1000009/hostile/"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QString::fromUtf8("  \u241b]0;owned\u2407Evil\u240d\u240aerror: fake line"
                                                   "\u241b[2J\n")))
        << run.out.toStdString();
    for (const QChar c : run.out + run.err)
        EXPECT_FALSE(c != '\n' && (c.unicode() < 0x20 || c.unicode() == 0x7f))
            << "control " << int(c.unicode());
}

TEST_F(ZorvGetTest, RetriesAreAnnouncedAndCounted) {
    const ZorvGetRun run =
        runner_->Run({"--retries=2", "-o", Out(), "http://www.metacafe.com/watch/1000004/cut_short/"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.count("Retrying download (1)..."), 1) << run.out.toStdString();
    EXPECT_EQ(run.out.count("Retrying download (2)..."), 1);
    EXPECT_EQ(run.out.count("Retrying download (3)..."), 0);
}

TEST_F(ZorvGetTest, UsageErrorsExitTwo) {
    EXPECT_EQ(runner_->Run({}).exitCode, 2);
    const ZorvGetRun bad = runner_->Run({"--retries", "many", kMetacafe});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("invalid number for --retries: many"));
    EXPECT_EQ(runner_->Run({"--help"}).exitCode, 0);
}

TEST_F(ZorvGetTest, OptionsAreNotSaved) {
    // A settings file the user already has keeps its values.
    runner_->SetSetting("Setting/Output/RetryTimes", 1);
    ASSERT_EQ(runner_->Run({"-o", Out(), "-r", "3", "-t", kMetacafe}).exitCode, 0);
    QFile settings(Path("user/config/Quillmere/Zorv YouTube Downloader.conf"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly)) << settings.fileName().toStdString();
    const QByteArray text = settings.readAll();
    EXPECT_TRUE(text.contains("RetryTimes=1")) << text.toStdString();
    EXPECT_FALSE(text.contains("RetryTimes=3"));
    EXPECT_FALSE(text.contains(Out().toUtf8()));
    EXPECT_FALSE(text.contains("UseTitleAsFileName=1"));
}

TEST_F(ZorvGetTest, ShowsStatusTextsInTheChosenLanguage) {
    runner_->SetSetting("Setting/Output/LangID", "de");
    const ZorvGetRun run = runner_->Run({"-o", Out(), "http://www.metacafe.com/watch/1000004/cut_short/"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains("Downloadfehler: Network error, can not get FLV file"))
        << run.out.toStdString();
}

TEST_F(ZorvGetTest, ChecksForUpdates) {
    sim_->SetPublishedVersion("1.0.9");
    ZorvGetRun run = runner_->Run({"--check-update"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.OutLines().value(0), "New version available: 1.0.9");
    sim_->SetPublishedVersion("1.0.8");
    run = runner_->Run({"--check-update"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.OutLines().value(0), "No new version available: 1.0.8");
}

TEST_F(ZorvGetTest, YouTubeByIdByTitleAndUnknownId) {
    const QString watch = "http://www.youtube.com/watch?v=zvNormal001";
    ZorvGetRun run = runner_->Run({"-o", Out(), watch});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(run.OutLines().last().startsWith(Out() + "/YouTube/zvNormal001.mp4  "));
    EXPECT_TRUE(QFile::exists(Out() + "/YouTube/zvNormal001.mp4"));

    ASSERT_EQ(runner_->Run({"-t", "-o", Out(), watch}).exitCode, 0);
    run = runner_->Run({"-t", "-o", Out(), watch});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(QFile::exists(Out() + "/YouTube/Zorv sample clip.mp4"));
    EXPECT_TRUE(run.OutLines().last().startsWith(Out() + "/YouTube/Zorv sample clip_001.mp4  "))
        << run.out.toStdString();

    run = runner_->Run({"-o", Out(), "http://www.youtube.com/watch?v=zvUnknown00"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.OutLines().last(), "error: can't retrieve video file location from html file.");
}

TEST_F(ZorvGetTest, OneVideoOfEachSiteInOneBatch) {
    runner_->SetSetting("Setting/Output/NicoUser", "nico.tester@example.com");
    runner_->SetSetting("Setting/Output/NicoPasswd", "p&s=w+rd% 1");
    const ZorvGetRun run = runner_->Run({"-q", "-o", Out(), "http://www.youtube.com/watch?v=zvNormal001",
                                         "http://video.google.com/videoplay?docid=1234567890123456789",
                                         "http://www.metacafe.com/watch/1000001/sample_clip/",
                                         "http://www.nicovideo.jp/watch/sm1004"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString();
    const QStringList lines = run.OutLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(Out() + "/YouTube/zvNormal001.mp4  "));
    EXPECT_TRUE(lines[1].startsWith(Out() + "/Google/1234567890123456789.flv  "));
    EXPECT_TRUE(lines[2].startsWith(Out() + "/MetaCafe/1000001.flv  "));
    EXPECT_TRUE(lines[3].startsWith(Out() + "/NicoVideo/sm1004.flv  "));
    EXPECT_EQ(runner_->Run({"--history"}).OutLines().size(), 4);
}

TEST_F(ZorvGetTest, ImportAddsThePageLinksAfterTheAddresses) {
    // Google Video first in the page: its YouTube links still come first.
    const QString page =
        WriteFile("saved.html", "<a href=\"http://video.google.com/videoplay?docid=1234567890123456789"
                                "&hl=en\">g</a>\n<a href=\"/watch?v=zvNormal001\">y</a>\n");
    const ZorvGetRun run = runner_->Run({"-q", "-o", Out(), kMetacafe, "--import", page});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QStringList lines = run.OutLines();
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(Out() + "/MetaCafe/1000001.flv  "));
    EXPECT_TRUE(lines[1].startsWith(Out() + "/YouTube/zvNormal001.mp4  "));
    EXPECT_TRUE(lines[2].startsWith(Out() + "/Google/1234567890123456789.flv  "));

    // A page that cannot be fetched adds nothing.
    const ZorvGetRun none = runner_->Run({"-o", Out(), "-i", "https://127.0.0.1:1/"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("no video links found in https://127.0.0.1:1/")) << none.err.toStdString();
}

TEST_F(ZorvGetTest, CaptchaPrintsTheBrowserAddress) {
    const ZorvGetRun run = runner_->Run({"-o", Out(), "http://www.youtube.com/watch?v=zvCaptcha01"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(
        "Open this address in a browser and solve it:\n  http://www.youtube.com/das_captcha"))
        << run.out.toStdString();
    EXPECT_EQ(run.OutLines().last(), "error: Please input the verification code and try again.");
}

TEST_F(ZorvGetTest, NicoVideoAccountNoticeIsPrintedOnce) {
    const ZorvGetRun run = runner_->Run(
        {"-o", Out(), "http://www.nicovideo.jp/watch/sm1001", "http://www.nicovideo.jp/watch/sm1002"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_EQ(run.out.count("No NicoVideo account is set"), 1);
}

#include "support/LoopbackServer.h"

// A download that is not a video: the file stays, the line says so, and the
// address still counts as downloaded.
TEST_F(ZorvGetTest, UnidentifiableDownloadKeepsTheFileAndSaysSo) {
    LoopbackServer server;
    server.ServeBody("/watch/42/not_a_video/",
                     "<html><title>x</title>mediaURL=http%3A%2F%2Fwww.metacafe.com%2Fnote.flv&amp;</html>");
    server.ServeBody("/note.flv", QByteArray(4096, 'z'), "video/x-flv");
    runner_->SetConnectTo(server.ConnectTo("www.metacafe.com"));
    const ZorvGetRun run = runner_->Run({"-q", "-o", Out(), "http://www.metacafe.com/watch/42/not_a_video/"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    const QString path = Out() + "/MetaCafe/42.flv";
    EXPECT_EQ(run.OutLines().value(0),
              QString("The file %1 could not be read as a video. It may be damaged or "
                      "of an unknown type.")
                  .arg(path));
    EXPECT_EQ(ReadFile(path), QByteArray(4096, 'z'));
    EXPECT_TRUE(runner_->Run({"--history"}).OutLines().isEmpty());
}

TEST_F(ZorvGetTest, TerminatingStopsTheBatchAndLeavesNoPartialFile) {
    sim_->SetMediaFault("slow");
    const ZorvGetRun run =
        runner_->RunAndTerminate({"-o", Out(), "http://www.metacafe.com/watch/1000001/sample_clip/",
                                  "http://www.metacafe.com/watch/1000002/lower_case/"},
                                 "% of");
    sim_->SetMediaFault(QString());
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
    const QStringList lines = run.OutLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[lines.size() - 2], "stopped: http://www.metacafe.com/watch/1000001/sample_clip/");
    EXPECT_EQ(lines.last(),
              "not started, the batch was stopped: http://www.metacafe.com/watch/1000002/lower_case/");
    // A stop is reported as a stop, never as a network failure first.
    EXPECT_FALSE(run.out.contains("Download failed") || run.out.contains("Download error"))
        << run.out.toStdString();
    EXPECT_FALSE(QFile::exists(Out() + "/MetaCafe/1000001.flv"));
    EXPECT_FALSE(QFile::exists(Out() + "/MetaCafe/1000001.flv.qxt"));
}

#include "platform/Event.h"
#include "support/WaitFor.h"

#include <future>

// Two runs into one folder at once, two clips of one title: each keeps its
// own name and its own bytes, neither replaces the other's file.
TEST_F(ZorvGetTest, TwoRunsWithOneTitleKeepTheirOwnFiles) {
    const QByteArray slowMedia = ReadFile(sim_->MediaPath("flv"));
    const QByteArray fastMedia = ReadFile(sim_->MediaPath("videoonly"));
    ASSERT_NE(slowMedia, fastMedia);
    const QString first = Out() + "/MetaCafe/One title, two clips.flv";
    const QString second = Out() + "/MetaCafe/One title, two clips_001.flv";

    // The first clip's body stops after its first block until the second
    // run has ended: the runs surely overlap.
    LoopbackServer server;
    const auto page = [](const char* media) {
        return QStringLiteral(
                   "<html><head><title>One title, two clips</title></head><body>\n"
                   "<embed flashvars=\"a=1&mediaURL=http://v.mccont.com/item/%1&x=1\">\n</body></html>")
            .arg(media)
            .toUtf8();
    };
    server.ServeBody("/watch/1/one_title/", page("1.flv"));
    server.ServeBody("/watch/2/one_title/", page("2.flv"));
    server.ServeBody("/item/2.flv", fastMedia, "video/x-flv");
    auto release = std::make_shared<Event>(Event::Reset::Manual);
    server.Raw().Get("/item/1.flv", [slowMedia, release](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(size_t(slowMedia.size()), "video/x-flv",
                                 [slowMedia, release](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset > 0 && !release->Wait(30000))
                                         return false;
                                     const qsizetype n =
                                         offset > 0 ? slowMedia.size() - qsizetype(offset) : 8192;
                                     return sink.write(slowMedia.constData() + offset, size_t(n));
                                 });
    });
    runner_->SetConnectTo(server.ConnectTo("www.metacafe.com") + ',' + server.ConnectTo("v.mccont.com"));

    std::future<ZorvGetRun> slow = std::async(std::launch::async, [this] {
        return runner_->Run({"-t", "-o", Out(), "http://www.metacafe.com/watch/1/one_title/"});
    });
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(first + ".qxt"); }));
    const ZorvGetRun fast = runner_->Run({"-t", "-o", Out(), "http://www.metacafe.com/watch/2/one_title/"});
    EXPECT_TRUE(QFile::exists(first + ".qxt")) << "the runs did not overlap";
    release->Set();
    const ZorvGetRun slowRun = slow.get();

    ASSERT_EQ(slowRun.exitCode, 0) << slowRun.out.toStdString() << slowRun.err.toStdString();
    ASSERT_EQ(fast.exitCode, 0) << fast.out.toStdString() << fast.err.toStdString();
    EXPECT_TRUE(slowRun.OutLines().value(slowRun.OutLines().size() - 1).startsWith(first + "  "))
        << slowRun.out.toStdString();
    EXPECT_TRUE(fast.OutLines().value(fast.OutLines().size() - 1).startsWith(second + "  "))
        << fast.out.toStdString();
    EXPECT_EQ(QDir(Out() + "/MetaCafe").entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"One title, two clips.flv", "One title, two clips_001.flv"}));
    EXPECT_EQ(ReadFile(first), slowMedia);
    EXPECT_EQ(ReadFile(second), fastMedia);
}

// --version names the yt-dlp the options point at, warns when it is old and
// says how to install it when it is missing; it never fails.
TEST_F(ZorvGetTest, VersionTellsWhichYtDlpRunsAndHowToGetOne) {
    const auto tool = [this](const QString& name, const QByteArray& version) {
        const QString path = WriteFile(name, "#!/bin/sh\necho " + version + "\n");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return path;
    };
    const QString fresh = QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd"));
    const struct {
        QString path;
        QString second; // the line after the program's own
        bool warned;
    } cases[] = {
        {tool("old", "2021.12.27"), "yt-dlp 2021.12.27 (" + Path("old") + ")", true},
        {tool("fresh", fresh.toLatin1()), "yt-dlp " + fresh + " (" + Path("fresh") + ")", false},
        {Path("missing/yt-dlp"), "yt-dlp: not found (\"" + Path("missing/yt-dlp") + "\")", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        runner_->SetSetting("Setting/Output/YtDlpPath", c.path);
        const ZorvGetRun run = runner_->Run({"--version"});
        EXPECT_EQ(run.exitCode, 0);
        const QStringList lines = run.OutLines();
        ASSERT_EQ(lines.size(), c.warned ? 3 : 2) << run.out.toStdString();
        EXPECT_EQ(lines[0], "zorv-get 1.0.8.0");
        EXPECT_TRUE(lines[1].startsWith(c.second)) << lines[1].toStdString();
        if (c.warned) {
            EXPECT_TRUE(lines[2].startsWith("warning: this yt-dlp is more than 90 days old") &&
                        lines[2].contains("pipx upgrade yt-dlp"))
                << lines[2].toStdString();
        }
        EXPECT_EQ(lines[1].contains("apt install yt-dlp"), c.second.contains("not found"))
            << lines[1].toStdString();
    }
}

// --history OTHER lists the rows of every site besides the four, each with
// its own label; the whole listing ends with them.
TEST_F(ZorvGetTest, HistoryOfTheOtherSitesNamesEachRowsSite) {
    ASSERT_TRUE(QDir().mkpath(runner_->DataFolder()));
    {
        std::unique_ptr<SqliteConnection> db;
        ASSERT_EQ(OpenHistoryDB(db, runner_->DataFolder() + "/history.db"), 1);
        db->Execute(
            "INSERT INTO history (profile_name, src_file_name, dest_file_name, duration, vcodec, vsize, "
            "convert_date) VALUES "
            "('VIMEO', 'https://vimeo.com/1', '/v/a.mp4', 61000, 'h264', '1920x1080', 'x'),"
            "('METACAFE', 'http://www.metacafe.com/watch/1/', '/v/b.flv', 1000, 'flv1', '320x240', 'x'),"
            "('GENERIC', 'https://example.org/c', '/v/c.webm', 2000, 'vp9', '640x360', 'x');");
    }
    const ZorvGetRun other = runner_->Run({"--history", "other"});
    ASSERT_EQ(other.exitCode, 0) << other.err.toStdString();
    EXPECT_EQ(other.OutLines(),
              (QStringList{"VIMEO\tx\t00:01:01\tH264\t1920x1080\t/v/a.mp4\thttps://vimeo.com/1",
                           "GENERIC\tx\t00:00:02\tVP9\t640x360\t/v/c.webm\thttps://example.org/c"}));
    QStringList labels;
    for (const QString& line : runner_->Run({"--history"}).OutLines())
        labels << line.section('\t', 0, 0);
    EXPECT_EQ(labels, (QStringList{"METACAFE", "VIMEO", "GENERIC"}));
}
