#include "history/HistoryDb.h"

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "history/HistoryRowText.h"

#include "support/TempDirTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace {

class CollectingReceiver : public HistoryRowReceiver {
  public:
    void AddHistoryRow(DownloadTask task) override { rows.push_back(std::move(task)); }
    std::vector<DownloadTask> rows;
};

DownloadTask IdentifiedTask(int site, const QString& path, const QString& page, bool audio = true) {
    MediaInfo info;
    info.lengthMs = 3725000;
    info.videoFormat = QStringLiteral("flv1");
    info.videoBitrate = 512.4;
    info.fps = 29.97;
    info.width = 640;
    info.height = 480;
    if (audio) {
        info.hasAudio = 1;
        info.audioCodec = QStringLiteral("mp3");
        info.audioBitrate = 64000;
        info.audioRate = 44100;
        info.audioChannels = 2;
    }
    DownloadTask task;
    task.ApplyMediaInfo(path, info);
    task.pageUrl = page;
    task.site = site;
    return task;
}

class HistoryDbTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        InitLog(Path("test.log"));
    }
    void TearDown() override {
        db_.reset();
        ShutdownLog();
        TempDirTest::TearDown();
    }
    QString DbPath() const { return GetDataFolder() + QStringLiteral("/history.db"); }
    QStringList LogLines() const {
        return QString::fromUtf8(ReadFile(Path("test.log"))).split('\n', Qt::SkipEmptyParts);
    }
    int LogLinesEndingWith(const QString& text) const {
        int n = 0;
        for (const QString& line : LogLines())
            n += line.endsWith(text);
        return n;
    }
    void Open() { ASSERT_EQ(OpenHistoryDB(db_), 1); }
    QString Scalar(const char* sql) {
        SqliteResultSet rows = db_->Query(sql);
        const char* text = rows.AtEnd() ? nullptr : rows.ColumnText(0);
        return text ? QString::fromUtf8(text) : QStringLiteral("(null)");
    }

    std::unique_ptr<SqliteConnection> db_;
};

} // namespace

TEST_F(HistoryDbTest, FirstOpenCreatesTheTableLaterOpensFindIt) {
    Open();
    EXPECT_TRUE(QFile::exists(DbPath()));
    EXPECT_EQ(LogLinesEndingWith("INFO OpenHistoryDB <> - SQLite Version: 3.5.1"), 1);
    EXPECT_EQ(LogLinesEndingWith("INFO OpenHistoryDB <> - Creating history table"), 1);
    EXPECT_EQ(
        Scalar("SELECT sql FROM sqlite_master WHERE name = 'history';"),
        "CREATE TABLE history(id INTEGER PRIMARY KEY, profile_name TEXT,src_file_name TEXT, dest_file_name "
        "TEXT, duration INTEGER, vcodec TEXT, vbitrate TEXT, fps NUMERIC, vsize TEXT, acodec TEXT, abitrate "
        "TEXT, asamplerate TEXT, achannel TEXT, noaudio BOOLEAN, convert_date TEXT )");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM sqlite_master;"), "1"); // no index, no other table
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, "/v/a.flv", "http://www.youtube.com/watch?v=a")), 1);

    db_.reset();
    Open();
    EXPECT_EQ(LogLinesEndingWith("SQLite Version: 3.5.1"), 2);
    EXPECT_EQ(LogLinesEndingWith("Creating history table"), 1);
    EXPECT_EQ(CountHistory(db_.get()), 1);
}

TEST_F(HistoryDbTest, CountsPerLabelAndInAll) {
    Open();
    EXPECT_EQ(CountHistory(db_.get()), 0);
    const int sites[] = {0, 0, 0, 1, 1, 3};
    int n = 0;
    for (int site : sites)
        ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(site, QString("/v/%1.flv").arg(n++), "http://x/")),
                  1);
    EXPECT_EQ(CountHistory(db_.get()), 6);
    EXPECT_EQ(CountHistory(db_.get(), "YOUTUBE"), 3);
    EXPECT_EQ(CountHistory(db_.get(), "GOOGLE"), 2);
    EXPECT_EQ(CountHistory(db_.get(), "METACAFE"), 0);
    EXPECT_EQ(CountHistory(db_.get(), "NICOVIDEO"), 1);
    EXPECT_EQ(CountHistory(db_.get(), "VIMEO"), 0);
    EXPECT_EQ(CountHistory(db_.get(), "youtube"), 0);
    // A label is a value, never part of the statement.
    EXPECT_EQ(CountHistory(db_.get(), "x' OR '1'='1"), 0);
    CollectingReceiver all;
    EXPECT_EQ(QueryHistory(db_.get(), "x' OR '1'='1", all), 1);
    EXPECT_TRUE(all.rows.empty());

    EXPECT_EQ(HistorySiteLabel(2), "METACAFE");
    EXPECT_EQ(HistorySiteLabel(-2), "");
    // A task without a site is refused rather than stored under no label.
    EXPECT_EQ(InsertHistory(db_.get(), IdentifiedTask(-2, "/v/dropped.flv", "")), 0);
    EXPECT_EQ(CountHistory(db_.get()), 6);
}

TEST_F(HistoryDbTest, StoresEveryColumnAsWritten) {
    Open();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    DownloadTask withAudio = IdentifiedTask(2, "/v/with.flv", "http://www.metacafe.com/watch/1/");
    withAudio.markInMs = 1000; // a range set in the preview: the stored length is the range
    const QDateTime when(QDate(2012, 3, 5), QTime(14, 7, 9));
    ASSERT_EQ(InsertHistory(db_.get(), withAudio, when), 1);
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(2, "/v/silent.flv", "http://m/", false), when), 1);
    QLocale::setDefault(QLocale::c());

    EXPECT_EQ(
        Scalar("SELECT id || '|' || profile_name || '|' || src_file_name || '|' || dest_file_name || '|' || "
               "duration || '|' || vcodec || '|' || vbitrate || '|' || fps || '|' || vsize || '|' || acodec "
               "|| '|' || abitrate || '|' || asamplerate || '|' || achannel || '|' || noaudio || '|' || "
               "convert_date FROM history WHERE id = 1;"),
        "1|METACAFE|http://www.metacafe.com/watch/1/|/v/with.flv|3724000|flv1|512|29.97|640x480|mp3|64000|"
        "44100|2|1|March 05, 2012 14:07:09");
    // The column holds presence: 0 and an empty codec for a file without audio.
    EXPECT_EQ(Scalar("SELECT noaudio || '|' || quote(acodec) FROM history WHERE id = 2;"), "0|''");
    EXPECT_EQ(Scalar("SELECT typeof(duration) || typeof(fps) FROM history WHERE id = 2;"), "integerreal");
}

TEST_F(HistoryDbTest, QueryHandsOverRowsInInsertionOrder) {
    Open();
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, "/v/b.flv", "http://y/b"),
                            QDateTime(QDate(2011, 3, 5), QTime(9, 0, 0))),
              1);
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(1, "/v/other.flv", "http://g/")), 1);
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, "/v/a.flv", "http://y/a")), 1);

    CollectingReceiver pane;
    ASSERT_EQ(QueryHistory(db_.get(), "YOUTUBE", pane), 1);
    ASSERT_EQ(pane.rows.size(), 2u);
    const DownloadTask& first = pane.rows[0];
    EXPECT_EQ(first.location, "/v/b.flv");
    EXPECT_EQ(first.siteUrl, "http://y/b");
    EXPECT_EQ(first.pageUrl, "");
    EXPECT_EQ(first.lengthMs, 3725000);
    EXPECT_EQ(first.markOutMs, 3725000);
    EXPECT_EQ(first.markInMs, 0);
    EXPECT_EQ(first.videoFormat, "flv1");
    EXPECT_EQ(first.sizeText, "640x480");
    EXPECT_EQ(first.dateText, "March 05, 2011 09:00:00");
    EXPECT_EQ(first.site, -2);
    EXPECT_EQ(first.audioCodec, "");
    EXPECT_EQ(pane.rows[1].location, "/v/a.flv");

    // The row texts the list shows for a row stored just now.
    const HistoryRowText text = MakeHistoryRowText(pane.rows[1]);
    EXPECT_EQ(text.duration, "01:02:05");
    EXPECT_EQ(text.format, "FLV1");
    EXPECT_EQ(text.date, QLocale(QLocale::English, QLocale::UnitedStates)
                             .toString(QDateTime::fromString(pane.rows[1].dateText, "MMMM dd, yyyy HH:mm:ss"),
                                       "hh:mm AP"));
}

TEST_F(HistoryDbTest, QuotesAndNonAsciiTextsRoundTripAndDeleteRemovesEveryRowOfThePath) {
    Open();
    const QString quoted = QStringLiteral("/home/u/Zorv/YouTube/it's O'Brien''s.flv");
    const QString page = QStringLiteral("http://www.youtube.com/watch?v=a'b&t=1");
    const QString japanese = QString::fromUtf8("/home/u/動画/ニコニコ ä €.flv");
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, quoted, page)), 1);
    ASSERT_EQ(
        InsertHistory(db_.get(), IdentifiedTask(3, japanese, QString::fromUtf8("http://nico/タイトル"))), 1);
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, quoted, page)), 1); // the same path again

    // Texts are stored as UTF-8.
    EXPECT_EQ(Scalar("SELECT hex(dest_file_name) FROM history WHERE profile_name = 'NICOVIDEO';"),
              QString::fromLatin1(japanese.toUtf8().toHex().toUpper()));

    CollectingReceiver youtube, nico;
    ASSERT_EQ(QueryHistory(db_.get(), "YOUTUBE", youtube), 1);
    ASSERT_EQ(QueryHistory(db_.get(), "NICOVIDEO", nico), 1);
    ASSERT_EQ(youtube.rows.size(), 2u);
    EXPECT_EQ(youtube.rows[0].location, quoted);
    EXPECT_EQ(youtube.rows[0].siteUrl, page);
    ASSERT_EQ(nico.rows.size(), 1u);
    EXPECT_EQ(nico.rows[0].location, japanese);
    EXPECT_EQ(nico.rows[0].siteUrl, QString::fromUtf8("http://nico/タイトル"));
    EXPECT_EQ(MakeHistoryRowText(nico.rows[0]).title, QString::fromUtf8("ニコニコ ä €"));

    ASSERT_EQ(DeleteHistory(db_.get(), youtube.rows[1]), 1);
    EXPECT_EQ(CountHistory(db_.get(), "YOUTUBE"), 0);
    EXPECT_EQ(CountHistory(db_.get()), 1);
    ASSERT_EQ(DeleteHistory(db_.get(), nico.rows[0]), 1);
    EXPECT_EQ(CountHistory(db_.get()), 0);
    // Deleting what is not there is no error.
    EXPECT_EQ(DeleteHistory(db_.get(), nico.rows[0]), 1);
}

TEST_F(HistoryDbTest, WithoutADatabaseOperationsReportNothing) {
    SqliteConnection* none = nullptr;
    CollectingReceiver pane;
    const DownloadTask task = IdentifiedTask(0, "/v/a.flv", "http://y/");
    EXPECT_EQ(InsertHistory(none, task), 1);
    EXPECT_EQ(DeleteHistory(none, task), 1);
    EXPECT_EQ(QueryHistory(none, "YOUTUBE", pane), 0);
    EXPECT_EQ(CountHistory(none), 0);
    EXPECT_EQ(CountHistory(none, "YOUTUBE"), 0);
    EXPECT_TRUE(pane.rows.empty());
}

TEST_F(HistoryDbTest, AFileThatIsNoDatabaseIsKeptAsideUnchangedAndANewHistoryStarts) {
    const QByteArray garbage(4096, 'x');
    WriteFile("data/Zorv YouTube Downloader/history.db", garbage);
    QString aside;
    ASSERT_EQ(OpenHistoryDB(db_, &aside), 1);
    EXPECT_EQ(
        LogLinesEndingWith("ERROR OpenHistoryDB <> - DB error occured: 26 : UNKNOWN_ERROR[26]: file is not a "
                           "database"),
        1);
    EXPECT_TRUE(aside.startsWith(DbPath() + ".unreadable-")) << aside.toStdString();
    EXPECT_EQ(ReadFile(aside), garbage); // the user's file, as it was
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, "/v/a.flv", "http://y/")), 1);
    EXPECT_EQ(CountHistory(db_.get()), 1);

    // A readable history is never moved.
    db_.reset();
    aside.clear();
    ASSERT_EQ(OpenHistoryDB(db_, &aside), 1);
    EXPECT_TRUE(aside.isEmpty());
    EXPECT_EQ(CountHistory(db_.get()), 1);

    // A folder in the file's place is not the history's to move: no history.
    db_.reset();
    QFile::remove(DbPath());
    QDir().mkpath(DbPath());
    EXPECT_EQ(OpenHistoryDB(db_), 0);
    EXPECT_EQ(db_, nullptr);
}

TEST_F(HistoryDbTest, DatabaseErrorsAreLoggedAndReported) {
    Open();
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, "/v/a.flv", "http://y/")), 1);
    db_->Execute("DROP TABLE history;");
    CollectingReceiver pane;
    EXPECT_EQ(CountHistory(db_.get()), -1);
    EXPECT_EQ(CountHistory(db_.get(), "YOUTUBE"), -1);
    EXPECT_EQ(QueryHistory(db_.get(), "YOUTUBE", pane), 0);
    EXPECT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, "/v/a.flv", "http://y/")), 0);
    EXPECT_EQ(DeleteHistory(db_.get(), IdentifiedTask(0, "/v/a.flv", "http://y/")), 0);
    EXPECT_EQ(
        LogLinesEndingWith("ERROR CountHistory <> - DB error occured: 1 : SQLITE_ERROR[1]: no such table: "
                           "history"),
        2);
    EXPECT_EQ(
        LogLinesEndingWith("ERROR QueryHistory <> - DB error occured: 1 : SQLITE_ERROR[1]: no such table: "
                           "history"),
        1);
    EXPECT_EQ(
        LogLinesEndingWith("ERROR InsertHistory <> - DB error occured when inserting : 1 : SQLITE_ERROR[1]: "
                           "no such table: history"),
        1);
    EXPECT_EQ(
        LogLinesEndingWith("ERROR DeleteHistory <> - DB error occured when deleting : 1 : SQLITE_ERROR[1]: "
                           "no such table: history"),
        1);
}

TEST_F(HistoryDbTest, OtherSitesAreFiledUnderTheirNameInCapitalsAndReadBackAsOtherSites) {
    Open();
    struct Case {
        const char* siteName;
        int inserted;
        const char* label; // where the row is listed; nullptr: refused
    } cases[] = {
        {"Vimeo", 1, "VIMEO"},
        {"HTML5MediaEmbed", 1, "HTML5MEDIAEMBED"},
        {"Generic", 1, "GENERIC"},
        {"", 0, nullptr}, // no name: no label to list it under
    };
    int n = 0;
    for (const Case& c : cases) {
        DownloadTask task = IdentifiedTask(4, QString("/v/other%1.mp4").arg(n++), "https://x.example/v");
        task.siteName = c.siteName;
        EXPECT_EQ(InsertHistory(db_.get(), task), c.inserted) << c.siteName;
        if (!c.label)
            continue;
        CollectingReceiver rows;
        ASSERT_EQ(QueryHistory(db_.get(), c.label, rows), 1);
        ASSERT_EQ(rows.rows.size(), 1u) << c.label;
        EXPECT_EQ(rows.rows[0].site, 4) << c.label;
        EXPECT_EQ(rows.rows[0].siteName, c.label);
    }
    ASSERT_EQ(InsertHistory(db_.get(), IdentifiedTask(0, "/v/yt.flv", "http://www.youtube.com/watch?v=a")),
              1);
    CollectingReceiver youtube;
    ASSERT_EQ(QueryHistory(db_.get(), "YOUTUBE", youtube), 1);
    ASSERT_EQ(youtube.rows.size(), 1u);
    EXPECT_TRUE(youtube.rows[0].siteName.isEmpty());
}
