// zorv-get's after-download actions: a real process against the site
// simulator, with the real ffmpeg and mplayer.

#include "sitesim/SiteSimulator.h"
#include "support/SimulatorSuite.h"
#include "support/ZorvGetRunner.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

namespace {
const QString kMetacafe = "http://www.metacafe.com/watch/1000001/sample_clip/";

std::string Std(const QString& s) {
    return s.toStdString();
}
} // namespace

class ZorvGetActionTest : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        runner_ = std::make_unique<ZorvGetRunner>(Path("user"), *sim_);
    }
    std::unique_ptr<ZorvGetRunner> runner_;
};

TEST_F(ZorvGetActionTest, EachDownloadIsConvertedOrCutAndRecordedUnderItsSite) {
    struct Case {
        const char* name;
        int afterDownload; // the stored setting: 0 none, 1 MP3, 2 M4A, 3 MP4
        QStringList options;
        QStringList files;      // what the site folder holds afterwards
        QStringList finalLines; // patterns of the last lines, the result's last
    } cases[] = {
        {"m4a beside the original",
         0,
         {"--convert", "m4a", "--keep-original"},
         {"1000001.flv", "1000001.m4a"},
         {"/1000001\\.flv  00:00:0\\d FLV1 \\d+x\\d+ \\d+ fps$",
          "/1000001\\.m4a  00:00:0\\d audio ffaac \\d+ Hz$"}},
        {"a cut instead of the original",
         0,
         {"--range", "0-0:01"},
         {"1000001 (0.00\u20130.01).flv"},
         {"/1000001 \\(0\\.00\u20130\\.01\\)\\.flv  00:00:0\\d FLV1 \\d+x\\d+ \\d+ fps$"}},
        // The stored choice keeps the original unless told otherwise.
        {"mp3 as stored",
         1,
         {"--mp3-quality", "9"},
         {"1000001.flv", "1000001.mp3"},
         {"/1000001\\.flv  00:00:0\\d FLV1 \\d+x\\d+ \\d+ fps$",
          "/1000001\\.mp3  00:00:0\\d audio mpg123 \\d+ Hz$"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = Path(QString("out/") + c.name);
        runner_->SetSetting("Setting/Output/AfterDownload", c.afterDownload);
        const ZorvGetRun run = runner_->Run(QStringList{"-o", out} + c.options + QStringList{kMetacafe});
        ASSERT_EQ(run.exitCode, 0) << Std(run.out) << Std(run.err);
        EXPECT_EQ(run.err, QString()); // ffmpeg's command line goes to the log only
        const QStringList lines = run.OutLines();
        ASSERT_GE(lines.size(), c.finalLines.size());
        for (qsizetype i = 0; i < c.finalLines.size(); ++i) {
            const QString& line = lines[lines.size() - c.finalLines.size() + i];
            const QRegularExpression pattern("^" + QRegularExpression::escape(out + "/MetaCafe") +
                                             c.finalLines[i]);
            EXPECT_TRUE(pattern.match(line).hasMatch()) << Std(run.out);
        }
        EXPECT_EQ(QDir(out + "/MetaCafe").entryList(QDir::Files | QDir::Hidden), c.files);
    }
    // Every file made is in the history, the results under the page they
    // came from; a removed original is not.
    QStringList recorded;
    for (const QString& row : runner_->Run({"--history", "METACAFE"}).OutLines()) {
        const QStringList columns = row.split('\t');
        EXPECT_EQ(columns.value(6), kMetacafe);
        recorded << QFileInfo(columns.value(5)).fileName();
    }
    recorded.sort();
    EXPECT_EQ(recorded, (QStringList{"1000001 (0.00\u20130.01).flv", "1000001.flv", "1000001.flv",
                                     "1000001.m4a", "1000001.mp3"}));
}

TEST_F(ZorvGetActionTest, ActionOptionsAreChecked) {
    struct Case {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{"--convert", "wav", kMetacafe},
         "zorv-get: unknown format for --convert: wav (use mp3, m4a or mp4)"},
        {{"--range", "0:20-0:10", kMetacafe},
         "zorv-get: invalid range: 0:20-0:10 (START-END in seconds or m:ss, the end after the start)"},
        {{"--exact-cut", kMetacafe}, "zorv-get: --exact-cut needs --range"},
        {{"--mp3-quality", "10", kMetacafe}, "zorv-get: invalid number for --mp3-quality: 10 (0 to 9)"},
    };
    for (const Case& c : cases) {
        const ZorvGetRun run = runner_->Run(c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(c.error)) << Std(run.err);
    }
}

// A simulator whose Metacafe clip lasts a minute in a large frame, so that
// converting it takes long enough to be stopped.
class ZorvGetLongActionTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        QDir().mkpath(Path("media"));
        ASSERT_EQ(QProcess::execute("ffmpeg", {"-v",
                                               "error",
                                               "-y",
                                               "-f",
                                               "lavfi",
                                               "-i",
                                               "testsrc=duration=60:rate=25:size=1280x720",
                                               "-f",
                                               "lavfi",
                                               "-i",
                                               "sine=duration=60",
                                               "-c:v",
                                               "flv1",
                                               "-q:v",
                                               "8",
                                               "-c:a",
                                               "libmp3lame",
                                               "-ar",
                                               "22050",
                                               "-shortest",
                                               Path("media/sitesim-flv.flv")}),
                  0);
        SiteSimulatorOptions options;
        options.mediaDir = Path("media");
        sim_ = std::make_unique<SiteSimulator>(options);
        QString error;
        ASSERT_TRUE(sim_->Start(&error)) << Std(error);
        runner_ = std::make_unique<ZorvGetRunner>(Path("user"), *sim_);
    }
    std::unique_ptr<SiteSimulator> sim_;
    std::unique_ptr<ZorvGetRunner> runner_;
};

TEST_F(ZorvGetLongActionTest, AStopDuringAConversionKeepsTheDownloadAndNothingElse) {
    const ZorvGetRun run =
        runner_->RunAndTerminate({"-o", Path("out"), "--convert", "mp4", kMetacafe}, "% done");
    EXPECT_EQ(run.exitCode, 1) << Std(run.out) << Std(run.err);
    EXPECT_LT(run.msAfterSignal, 5000);
    ASSERT_GE(run.OutLines().size(), 2);
    EXPECT_TRUE(run.OutLines()[run.OutLines().size() - 2].startsWith(Path("out/MetaCafe/1000001.flv  ")))
        << Std(run.out);
    EXPECT_EQ(run.OutLines().last(), "stopped: " + kMetacafe);
    EXPECT_EQ(FolderTree(Path("out")), (QStringList{"MetaCafe", "MetaCafe/1000001.flv"}));
}
