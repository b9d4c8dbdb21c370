#include "base/AppSettings.h"
#include "base/CZVRegistry.h"
#include "base/Localization.h"
#include "base/WindowPlacement.h"

#include "support/TempDirTest.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <atomic>
#include <latch>
#include <thread>

class SettingsTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        SetLanguageFolder(Path("lang"));
        SetSystemLanguageIdOverride(0x0411);
    }
    void TearDown() override {
        SetLanguageFolder(QString());
        SetSystemLanguageIdOverride(std::nullopt);
        TempDirTest::TearDown();
    }
    void WriteLookup() { WriteFile("lang/language_lookup.ini", "[LANGUAGE]\n0x0409=en\n0x0411=ja\n"); }
    QString StoreFile() const { return CZVRegistry(true).FileName(); }
    // Owner, group and other bits (the "user" bits repeat the owner's).
    QFile::Permissions Mode() const { return QFile::permissions(StoreFile()) & QFile::Permissions(0x7077); }
    static QSettings Store() {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillmere",
                         "Zorv YouTube Downloader");
    }
};

TEST_F(SettingsTest, FirstStartGivesEveryDefault) {
    AppSettings s;
    s.Load();
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    EXPECT_TRUE(videos.startsWith(Path("home"))) << videos.toStdString();
    EXPECT_EQ(s.OutputFolder, videos + "/Zorv YouTube Downloader");
    EXPECT_TRUE(QDir(videos).exists()); // the videos folder is created when missing
    EXPECT_EQ(s.YTUser, "");
    EXPECT_EQ(s.YTPasswd, "");
    EXPECT_EQ(s.NicoUser, "");
    EXPECT_EQ(s.NicoPasswd, "");
    EXPECT_EQ(s.MPLAYER_VO, "x11");
    EXPECT_EQ(s.LangID, "en"); // no lookup file
    const int ints[] = {s.ShutdownFlag,
                        s.UseTitleAsFileName,
                        s.UseInternalCache,
                        s.RetryTimes,
                        s.YoutubeFMT,
                        s.DonotSepDVD,
                        s.ProcessPriority,
                        s.EncodeThreads,
                        s.OUT_VOLUME,
                        s.VOLUME_NORM,
                        s.AAC_MPEG,
                        s.AAC_OBJECT,
                        s.MP3_ENCODE,
                        s.MP3_VOLUME,
                        s.MP3_AQ,
                        s.MP3_VBRQ,
                        s.DEINT,
                        s.IVTC,
                        s.Fit2Width,
                        s.Fit2Height,
                        s.ExpandSize,
                        s.ExpandRound16,
                        s.WatchClipboard};
    const int expected[] = {0, 0, 0, 0, 1, 0, 2, 0, 0, 1, 1, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < std::size(ints); ++i)
        EXPECT_EQ(ints[i], expected[i]) << "field " << i;
    // Loading writes nothing.
    EXPECT_FALSE(QFile::exists(StoreFile()));
}

TEST_F(SettingsTest, SavedValuesLoadBackWithTheirTypes) {
    {
        AppSettings s;
        s.OutputFolder = Path("out, with comma");
        s.YTUser = QString::fromUtf8("\xE5\xA4\xAA\xE9\x83\x8E");
        s.YTPasswd = "@secret, \"quoted\" ";
        s.NicoUser = "12345"; // a number-like text stays a text
        s.NicoPasswd = "p=a;s#s";
        s.ShutdownFlag = 1;
        s.UseTitleAsFileName = 1;
        s.UseInternalCache = 1;
        s.RetryTimes = 99;
        s.YoutubeFMT = 5;
        s.MPLAYER_VO = "";
        s.OUT_VOLUME = -20;
        s.VOLUME_NORM = 0;
        s.MP3_VBRQ = 9;
        s.ExpandRound16 = 1;
        s.EncodeThreads = 8;
        s.LangID = "auto";
        s.Save();
    }
    AppSettings s;
    s.Load();
    EXPECT_EQ(s.OutputFolder, Path("out, with comma"));
    EXPECT_EQ(s.YTUser, QString::fromUtf8("\xE5\xA4\xAA\xE9\x83\x8E"));
    EXPECT_EQ(s.YTPasswd, "@secret, \"quoted\" ");
    EXPECT_EQ(s.NicoUser, "12345");
    EXPECT_EQ(s.NicoPasswd, "p=a;s#s");
    EXPECT_EQ(s.ShutdownFlag, 1);
    EXPECT_EQ(s.UseTitleAsFileName, 1);
    EXPECT_EQ(s.UseInternalCache, 1);
    EXPECT_EQ(s.RetryTimes, 99);
    EXPECT_EQ(s.YoutubeFMT, 5);
    EXPECT_EQ(s.MPLAYER_VO, ""); // an empty stored text is used, not the default
    EXPECT_EQ(s.OUT_VOLUME, -20);
    EXPECT_EQ(s.VOLUME_NORM, 0);
    EXPECT_EQ(s.MP3_VBRQ, 9);
    EXPECT_EQ(s.ExpandRound16, 1);
    EXPECT_EQ(s.EncodeThreads, 8);
    EXPECT_EQ(s.LangID, "auto"); // resolved only when the language is selected

    // The store keeps the value names and a DWORD as a 32-bit word.
    QSettings store = Store();
    EXPECT_EQ(store.value("Setting/Output/OUT_VOLUME").toString(), "4294967276");
    EXPECT_EQ(store.value("Setting/Output/NicoPasswd").toString(), "p=a;s#s"); // readable as typed
    EXPECT_EQ(store.value("Setting/Output/RetryTimes").toString(), "99");
}

TEST_F(SettingsTest, DwordsAreReadAsThirtyTwoBitsAndJunkKeepsTheDefault) {
    {
        QSettings store = Store();
        store.setValue("Setting/Output/RetryTimes", "4294967298"); // 2^32 + 2
        store.setValue("Setting/Output/YoutubeFMT", "not a number");
        store.setValue("Setting/Output/OUT_VOLUME", "-5");
        store.setValue("Setting/Output/LangID", "de");
    }
    WriteLookup();
    AppSettings s;
    s.Load();
    EXPECT_EQ(s.RetryTimes, 2);
    EXPECT_EQ(s.YoutubeFMT, 1);
    EXPECT_EQ(s.OUT_VOLUME, -5);
    EXPECT_EQ(s.LangID, "de"); // a stored language is used without the lookup file
}

TEST_F(SettingsTest, LanguageComesFromTheLookupFileOnlyWhenNoneIsStored) {
    WriteLookup();
    {
        AppSettings s;
        s.Load();
        EXPECT_EQ(s.LangID, "ja"); // nothing stored: the system language 0x0411
    }
    {
        QSettings store = Store();
        store.setValue("Setting/Output/LangID", "");
        store.setValue("Setting/Output/RetryTimes", 3);
    }
    AppSettings s;
    s.Load();
    EXPECT_EQ(s.LangID, "ja"); // stored but empty
    EXPECT_EQ(s.RetryTimes, 3);

    SetSystemLanguageIdOverride(0x0407); // no entry for German in this lookup file
    AppSettings german;
    german.Load();
    EXPECT_EQ(german.LangID, "en");
}

TEST_F(SettingsTest, SavingRecreatesRemovedValuesAndIsRepeatable) {
    AppSettings s;
    s.RetryTimes = 4;
    s.Save();
    const QByteArray first = ReadFile(StoreFile());
    {
        QSettings store = Store();
        store.remove("Setting/Output/RetryTimes");
        store.remove("Setting/Output/YTPasswd");
    }
    ASSERT_NE(ReadFile(StoreFile()), first);
    s.Save();
    EXPECT_EQ(ReadFile(StoreFile()), first);
    QSettings store = Store();
    EXPECT_EQ(store.value("Setting/Output/RetryTimes").toString(), "4");
    EXPECT_TRUE(store.contains("Setting/Output/YTPasswd"));
    store.beginGroup("Setting/Output");
    EXPECT_EQ(store.childKeys().size(), 34); // with YtDlpPath, the after-download pair, ExactCut, WatchClipboard
}

TEST_F(SettingsTest, TheFileIsOwnerOnlyAfterEverySave) {
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    AppSettings s;
    s.YTPasswd = "hunter2";
    s.Save();
    EXPECT_EQ(Mode(), ownerOnly);

    QFile::setPermissions(StoreFile(), ownerOnly | QFile::ReadGroup | QFile::ReadOther);
    s.Save();
    EXPECT_EQ(Mode(), ownerOnly);

    SaveWindowState({DefaultWindowPlacement(1920, 1080), 0});
    EXPECT_EQ(Mode(), ownerOnly);
}

TEST_F(SettingsTest, OtherThreadsSeeThePublishedCopy) {
    AppSettings s;
    s.YTUser = "first";
    s.Save();
    s.YTUser = "changed in memory";
    EXPECT_EQ(s.Shared()->YTUser, "first");

    // Both sides start together, and the writer waits half-way until the
    // reader has read again, so reads really run among the publishes.
    std::latch started(2);
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        started.arrive_and_wait();
        while (!stop) {
            const auto copy = s.Shared();
            if (!(copy->YTUser == "first" || copy->YTUser.startsWith("user")))
                ++torn;
            ++reads;
        }
    });
    started.arrive_and_wait();
    int publishes = 0;
    for (int i = 0; i < 200; ++i) {
        s.YTUser = QStringLiteral("user%1").arg(i);
        s.Publish();
        ++publishes;
        if (i == 99) {
            const int before = reads;
            EXPECT_TRUE(WaitFor([&] { return reads > before; })) << "the reader never ran";
        }
    }
    stop = true;
    reader.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(publishes, 200);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(s.Shared()->YTUser, "user199");
}

TEST(WindowPlacementTest, ParsesTheTenNumbersOrFallsBack) {
    const auto normal = ParseWindowPos("0,1,-1,-1,-1,-1,10,10,1009,610");
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->showCmd, 1u);
    EXPECT_EQ(normal->left, 10);
    EXPECT_EQ(normal->top, 10);
    EXPECT_EQ(normal->right - normal->left, 999);
    EXPECT_EQ(normal->bottom - normal->top, 600);
    EXPECT_EQ(FormatWindowPos(*normal), "0,1,-1,-1,-1,-1,10,10,1009,610");

    EXPECT_FALSE(ParseWindowPos("0,1,-1"));
    EXPECT_FALSE(ParseWindowPos(""));
    EXPECT_FALSE(ParseWindowPos("0,1,-1,-1,-1,-1,10,10,1009"));
    EXPECT_FALSE(ParseWindowPos("0,1,-1,-1,-1,-1,10,10,1009,99999999999")); // does not fit an int
    // White space may precede a number; text after the tenth number is ignored.
    const auto spaced = ParseWindowPos(" 2, 3,-1,-1,-1,-1,5,6,7,8,junk");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(FormatWindowPos(*spaced), "2,3,-1,-1,-1,-1,5,6,7,8");
}

TEST(WindowPlacementTest, TheDefaultIsCentredAndNeverLeavesTheScreen) {
    const WindowPlacement wide = DefaultWindowPlacement(1920, 1080);
    EXPECT_EQ(FormatWindowPos(wide), "0,1,-1,-1,-1,-1,460,240,1459,840");
    const WindowPlacement narrow = DefaultWindowPlacement(800, 500);
    EXPECT_EQ(narrow.left, 0);
    EXPECT_EQ(narrow.top, 0);
    EXPECT_EQ(narrow.right, 999);
    EXPECT_EQ(narrow.bottom, 600);
}

TEST_F(SettingsTest, WindowStateRoundTripsAndDefaultsWhenMalformed) {
    StoredWindowState fresh = LoadWindowState(1024, 768);
    EXPECT_EQ(fresh.placement, DefaultWindowPlacement(1024, 768));
    EXPECT_EQ(fresh.showMM, 1);

    StoredWindowState saved;
    saved.placement = *ParseWindowPos("0,3,-1,-1,-1,-1,10,10,1009,610");
    saved.showMM = 0;
    SaveWindowState(saved);
    const StoredWindowState loaded = LoadWindowState(1024, 768);
    EXPECT_EQ(loaded.placement, saved.placement);
    EXPECT_EQ(loaded.showMM, 0);
    EXPECT_EQ(Store().value("Setting/WindowPos").toString(), "0,3,-1,-1,-1,-1,10,10,1009,610");

    Store().setValue("Setting/WindowPos", "0,1,-1");
    EXPECT_EQ(LoadWindowState(1024, 768).placement, DefaultWindowPlacement(1024, 768));
    // A hand-written text without quotes reads back as a list: still understood.
    Store().setValue("Setting/WindowPos",
                     QStringList({"0", "1", "-1", "-1", "-1", "-1", "1", "2", "3", "4"}));
    EXPECT_EQ(FormatWindowPos(LoadWindowState(1024, 768).placement), "0,1,-1,-1,-1,-1,1,2,3,4");
}

// Two copies of the program running at once: the one closed last stores
// only what it changed, so the other's language and window position stay.
TEST_F(SettingsTest, ASecondCopyClosingLaterKeepsWhatTheFirstChanged) {
    AppSettings seed;
    seed.Save();
    SaveWindowState({*ParseWindowPos("0,1,-1,-1,-1,-1,10,10,1009,610"), 1});
    AppSettings first, second;
    first.Load();
    second.Load();
    const StoredWindowState firstStart = LoadWindowState(1024, 768), secondStart = LoadWindowState(1024, 768);

    first.LangID = "de";
    first.Save();
    StoredWindowState moved = firstStart;
    moved.placement = *ParseWindowPos("0,1,-1,-1,-1,-1,200,100,1199,700");
    SaveWindowState(moved, &firstStart);

    second.RetryTimes = 5;
    second.Save();
    SaveWindowState(secondStart, &secondStart); // not moved

    AppSettings next;
    next.Load();
    EXPECT_EQ(next.LangID, "de");
    EXPECT_EQ(next.RetryTimes, 5);
    const StoredWindowState placement = LoadWindowState(1024, 768);
    EXPECT_EQ(placement.placement, moved.placement);
    EXPECT_EQ(placement.showMM, 1);
}

TEST_F(SettingsTest, TheYtDlpProgramIsStoredUnderItsNameAndEmptyMeansPath) {
    {
        AppSettings s;
        EXPECT_EQ(s.YtDlpPath, "");
        s.YtDlpPath = "/home/me/.local/bin/yt-dlp";
        s.Save();
    }
    EXPECT_EQ(Store().value("Setting/Output/YtDlpPath").toString(), "/home/me/.local/bin/yt-dlp");
    AppSettings s;
    s.Load();
    EXPECT_EQ(s.YtDlpPath, "/home/me/.local/bin/yt-dlp");
}
