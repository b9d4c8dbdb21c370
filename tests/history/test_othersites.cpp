// The other sites' history: every label outside the four counts and lists,
// in insertion order, as a task of the other sites named after its label.
#include "history/OtherSitesHistory.h"

#include "base/AppLog.h"
#include "history/SqliteStatementText.h"
#include "retrieval/VideoSite.h"
#include "support/TempDirTest.h"

#include <vector>

namespace {
class Collected : public HistoryRowReceiver {
  public:
    void AddHistoryRow(DownloadTask task) override { rows.push_back(std::move(task)); }
    std::vector<DownloadTask> rows;
};

class OtherSitesHistoryTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        InitLog(Path("test.log"));
        ASSERT_EQ(OpenHistoryDB(db_, Path("history.db")), 1);
    }
    void TearDown() override {
        db_.reset();
        ShutdownLog();
        TempDirTest::TearDown();
    }
    // A row as a later version writes it: any label, NULL too.
    void Row(const char* label, const char* file) {
        SqliteStatementText sql;
        sql.Format(
            "INSERT INTO history (profile_name, src_file_name, dest_file_name, duration, vcodec, vsize, "
            "convert_date) VALUES (%Q, 'https://example.org/%q', '/v/%q', 61000, 'h264', '1280x720', "
            "'March 05, 2012 14:07:09');",
            label, file, file);
        db_->Execute(sql);
    }
    std::unique_ptr<SqliteConnection> db_;
};
} // namespace

TEST_F(OtherSitesHistoryTest, EveryLabelBesidesTheFourIsAnotherSiteNamedAfterIt) {
    Row("YOUTUBE", "yt.mp4");
    Row("GENERIC", "clip.mp4");
    Row("NICOVIDEO", "sm1.flv");
    Row("VIMEO", "v1.mp4");
    Row(nullptr, "lost.mp4");
    Row("youtube", "lower.mp4"); // labels are compared exactly, as a site's own list does
    Row("HTML5MEDIAEMBED", "HTML5MediaEmbed/embed.webm"); // its site folder keeps its capitals
    Row("GENERIC", "Gen/other.mp4");
    EXPECT_EQ(CountOtherSitesHistory(db_.get()), 6);
    EXPECT_EQ(CountHistory(db_.get(), "YOUTUBE"), 1) << "the four keep their rows";

    Collected got;
    ASSERT_EQ(QueryOtherSitesHistory(db_.get(), got), 1);
    const struct {
        const char* file;
        const char* name;
    } expected[] = {{"clip.mp4", "Generic"},
                    {"v1.mp4", "Vimeo"},
                    {"lost.mp4", ""},
                    {"lower.mp4", "Youtube"},
                    {"HTML5MediaEmbed/embed.webm", "HTML5MediaEmbed"},
                    {"Gen/other.mp4", "Generic"}};
    ASSERT_EQ(got.rows.size(), std::size(expected));
    for (size_t i = 0; i < got.rows.size(); ++i) {
        const DownloadTask& task = got.rows[i];
        SCOPED_TRACE(expected[i].file);
        EXPECT_EQ(task.location, QStringLiteral("/v/") + expected[i].file);
        EXPECT_EQ(task.siteUrl, QStringLiteral("https://example.org/") + expected[i].file);
        EXPECT_EQ(task.site, OTHER_SITE);
        EXPECT_EQ(task.siteName, QString::fromLatin1(expected[i].name));
        EXPECT_EQ(task.markOutMs, 61000);
        EXPECT_EQ(task.videoFormat, "h264");
        EXPECT_EQ(task.sizeText, "1280x720");
    }
}

TEST_F(OtherSitesHistoryTest, WithoutADatabaseOrATableNothingIsListed) {
    Collected got;
    EXPECT_EQ(CountOtherSitesHistory(nullptr), 0);
    EXPECT_EQ(QueryOtherSitesHistory(nullptr, got), 0);
    db_->Execute("DROP TABLE history;");
    EXPECT_EQ(CountOtherSitesHistory(db_.get()), -1);
    EXPECT_EQ(QueryOtherSitesHistory(db_.get(), got), 0);
    EXPECT_TRUE(got.rows.empty());
}
