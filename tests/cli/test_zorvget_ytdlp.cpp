// zorv-get on pages only yt-dlp reads: the real yt-dlp against the
// simulator's generic host, addressed by 127.0.0.1 (yt-dlp does not see the
// host routing the built-in sites use).

#include "sitesim/SiteSimulator.h"
#include "support/SimulatorSuite.h"
#include "support/ZorvGetRunner.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {
std::string Std(const QString& s) {
    return s.toStdString();
}

} // namespace

class ZorvGetYtDlpTest : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        runner_ = std::make_unique<ZorvGetRunner>(Path("user"), *sim_);
    }
    QString Out() const { return Path("out"); }
    static QByteArray Served(const QString& id) { return ReadFile(sim_->GenericMediaFile(id)); }
    // The result line of a downloaded and identified file.
    static bool IsDownloadedLine(const QString& line, const QString& path) {
        const QRegularExpression pattern("^" + QRegularExpression::escape(path) + "  \\d\\d:\\d\\d:\\d\\d ");
        return pattern.match(line).hasMatch();
    }

    std::unique_ptr<ZorvGetRunner> runner_;
};

TEST_F(ZorvGetYtDlpTest, DownloadsIdentifiesAndRecordsAVideoOverHttpAndHttps) {
    struct Case {
        const char* name;
        QString page;
        const char* id;
    } cases[] = {
        {"http", sim_->GenericBase() + "/watch/clip-one", "clip-one"},
        {"https", sim_->GenericTlsBase() + "/watch/clip-three", "clip-three"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = Out() + "/" + c.name;
        // White space around a pasted address does not matter.
        const ZorvGetRun run = runner_->Run({"-o", out, "  " + c.page + "\t"});
        ASSERT_EQ(run.exitCode, 0) << Std(run.out) << Std(run.err);
        const QString path = out + "/HTML5MediaEmbed/" + c.id + "-1.mp4";
        EXPECT_TRUE(IsDownloadedLine(run.OutLines().last(), path)) << Std(run.out);
        EXPECT_EQ(ReadFile(path), Served(c.id));
        // The site folder holds the file alone: nothing of yt-dlp's is left.
        EXPECT_EQ(FolderTree(out),
                  (QStringList{"HTML5MediaEmbed", QString("HTML5MediaEmbed/") + c.id + "-1.mp4"}));
    }
    // The label is the site's name in capitals, listed with the other sites.
    const ZorvGetRun history = runner_->Run({"--history", "other"});
    ASSERT_EQ(history.exitCode, 0);
    ASSERT_EQ(history.OutLines().size(), 2) << Std(history.out);
    for (int i = 0; i < 2; ++i) {
        const QStringList columns = history.OutLines()[i].split('\t');
        EXPECT_EQ(columns.value(0), "HTML5MEDIAEMBED");
        EXPECT_EQ(columns.value(6), cases[i].page);
    }
}

TEST_F(ZorvGetYtDlpTest, APageOfThreeVideosGivesThreeFilesInPageOrder) {
    const QString page = sim_->GenericBase() + "/three";
    const ZorvGetRun run = runner_->Run({"-o", Out(), page});
    ASSERT_EQ(run.exitCode, 0) << Std(run.out) << Std(run.err);
    const QStringList lines = run.OutLines();
    ASSERT_GE(lines.size(), 3);
    const char* served[] = {"clip-one", "clip-two", "clip-three"};
    for (int i = 0; i < 3; ++i) {
        const QString path = Out() + QString("/Generic/three-%1.mp4").arg(i + 1);
        EXPECT_TRUE(IsDownloadedLine(lines[lines.size() - 3 + i], path)) << Std(run.out);
        EXPECT_EQ(ReadFile(path), Served(served[i])) << i;
    }
    EXPECT_EQ(FolderTree(Out()).size(), 4) << Std(FolderTree(Out()).join(' '));
    const QStringList history = runner_->Run({"--history"}).OutLines();
    ASSERT_EQ(history.size(), 3);
    for (const QString& row : history)
        EXPECT_EQ(row.split('\t').value(0), "GENERIC");
}

TEST_F(ZorvGetYtDlpTest, StoppingDuringADownloadEndsAtOnceAndLeavesNothing) {
    const QString page = sim_->GenericBase() + "/slow/clip-one";
    const ZorvGetRun run = runner_->RunAndTerminate({"-o", Out(), page}, "% of");
    EXPECT_EQ(run.exitCode, 1) << Std(run.out) << Std(run.err);
    EXPECT_EQ(run.OutLines().last(), "stopped: " + page);
    EXPECT_LT(run.msAfterSignal, 1000);
    EXPECT_EQ(FolderTree(Out()), QStringList()) << Std(FolderTree(Out()).join(' '));
}

TEST_F(ZorvGetYtDlpTest, FailuresSayWhatIsMissingOrWhatTheSiteWants) {
    const QString members = sim_->GenericBase() + "/members/members-clip";
    struct Case {
        const char* name;
        QString ytDlpPath;
        QString page;
        QString printed; // a line of the output
        QString result;  // the result line
    } cases[] = {
        {"no yt-dlp", Path("nowhere/yt-dlp"), sim_->GenericBase() + "/watch/clip-one", QString(),
         "error: This address needs yt-dlp, which was not found. Install it with \"apt install yt-dlp\", or "
         "a newer one with \"pipx install yt-dlp\"."},
        // Without a terminal nobody can sign in: the one retry meets the same refusal.
        {"members only", QString(), members, "  " + members, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner_->SetSetting("Setting/Output/YtDlpPath", c.ytDlpPath);
        const QString out = Out() + "/" + c.name;
        const ZorvGetRun run = runner_->Run({"-o", out, c.page});
        EXPECT_EQ(run.exitCode, 1) << Std(run.out);
        if (!c.printed.isEmpty()) {
            EXPECT_TRUE(run.OutLines().contains(c.printed)) << Std(run.out);
            EXPECT_EQ(run.out.count("sign in:"), 1) << Std(run.out);
        }
        if (!c.result.isEmpty())
            EXPECT_EQ(run.OutLines().last(), c.result) << Std(run.out);
        else
            EXPECT_TRUE(run.OutLines().last().startsWith("error: ")) << Std(run.out);
        EXPECT_EQ(FolderTree(out), QStringList()) << Std(FolderTree(out).join(' '));
    }
}
