#include "base/AppSettings.h"
#include "base/CommandIds.h"
#include "base/IniFile.h"
#include "base/InterfaceFonts.h"
#include "base/LanguageMenu.h"
#include "base/StringTable.h"
#include "base/TextIds.h"

#include "LocalizationFixture.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

#include <dirent.h>

TEST_F(LocalizationTest, StringEscapesApplyOnlyWhereTheyBelong) {
    WriteLanguage("xx", "[General]\nlanguage=Test\n"
                        "[STRING]\n32872=line one\\nline two\\tcell \\\\x \\r\n"
                        "[DICTIONARY]\nZorv YouTube Downloader=Zorv\\nTranslated\n");
    SelectLanguage("xx");
    EXPECT_EQ(LoadText(32872), "line one\nline two\tcell \\\\x \\r");
    EXPECT_EQ(TranslateText("Zorv YouTube Downloader"), "Zorv\\nTranslated");
    EXPECT_EQ(TranslateText("zorv youtube downloader"), "Zorv\\nTranslated"); // names ignore case
    EXPECT_EQ(TranslateText("Not in the dictionary"), "Not in the dictionary");
}

TEST_F(LocalizationTest, LoadTextFallsBackToTheBuiltInTable) {
    WriteLanguage("xx", "[STRING]\n32875=\n32877=Anmeldung\n");
    SelectLanguage("xx");
    EXPECT_EQ(LoadText(32877), "Anmeldung");
    EXPECT_EQ(LoadText(32875), BuiltinString(32875)); // an empty value counts as missing
    EXPECT_EQ(LoadText(32885), BuiltinString(32885));
    EXPECT_FALSE(BuiltinString(32885).isEmpty());
    EXPECT_EQ(LoadText(1), ""); // no such string anywhere

    SelectLanguage("zz"); // no file for this code
    EXPECT_EQ(LoadText(32877), BuiltinString(32877));
    EXPECT_EQ(TranslateText("Zorv YouTube Downloader"), "Zorv YouTube Downloader");

    // The file is read on every lookup: an edit shows at once.
    SelectLanguage("xx");
    WriteLanguage("xx", "[STRING]\n32877=edited\n");
    EXPECT_EQ(LoadText(32877), "edited");
}

TEST(TextIdTest, EveryNamedTextIsTheBuiltInTextItsNameSays) {
    const struct {
        int id;
        const char* text;
    } cases[] = {
        {TextId::AboutItem, "About %s..."},
        {TextId::OutputFolderMissing,
         "The output folder does not exist. Please choose a folder for the downloaded videos."},
        {TextId::StopAndExitQuestion, "Downloads are still running. Stop them and exit?"},
        {TextId::ChooseOutputFolderTitle, "Choose the folder for downloaded videos"},
        {TextId::OutputFolderChanged, "Output folder changed to %s"},
        {TextId::TitleHeader, "Title"},
        {TextId::DurationHeader, "Duration"},
        {TextId::FormatHeader, "Format"},
        {TextId::FrameSizeHeader, "Frame size"},
        {TextId::FpsHeader, "FPS"},
        {TextId::StatusHeader, "Status"},
        {TextId::StopDownloadsQuestion, "Stop the running downloads?"},
        {TextId::OnlyHttp, "Please enter a web address that starts with http://."},
        {TextId::NoSoundTrack, "This file has no sound track."},
        {TextId::NotAVideo,
         "The file %s could not be read as a video. It may be damaged or of an unknown type."},
        {TextId::DownloadingBytes, "Downloading %s: %s of %s bytes"},
        {TextId::DownloadError, "Download error: %s"},
        {TextId::RetryingDownload, "Retrying download (%d)..."},
        {TextId::FileHeader, "File"},
        {TextId::DownloadedOnHeader, "Downloaded on"},
        {TextId::TasksRoot, "Download tasks"},
        {TextId::HistoryRoot, "History"},
        {TextId::NicoVideoSite, "NicoVideo"},
        {TextId::OpenOutputFolderTip, "Open the output folder"},
        {TextId::FolderButton, "Folder"},
        {TextId::OptionsButton, "Options"},
        {TextId::OptionsCaption, "Options"},
        {TextId::IntegerRange, "Please enter an integer between %d and %d."},
        {TextId::StringTooLong, "Enter no more than %d characters."},
        {TextId::FirstPreviewToolTip, "Start the range here"},
        {TextId::FirstPreviewToolTip + 6, "Go to the end of the range"},
        {TextId::UpdateChecking, "Checking for a new version of %s..."},
        {TextId::UpdateDialogTitle, "%s - Check for updates"},
        {TextId::UpdateCheckFailed,
         "The version check of %s failed. Please check your Internet connection and try again later."},
        {TextId::UpdateLatestVersion, "Latest version: %s"},
        {TextId::UpdateUpToDate, "You are using the latest version."},
        {TextId::UpdateYourVersion, "Your version: %s"},
        {TextId::UpdateNewVersion, "A new version is available. Download it from the home page:"},
        {TextId::UiFont, "Noto Sans, DejaVu Sans, Liberation Sans, Tahoma"},
        {TextId::UiFontAlt, "DejaVu Sans, Liberation Sans, Noto Sans, Verdana"},
        {TextId::UiFontScale, "1.0"},
        {TextId::DownloadCompleted, "Download completed"},
        {TextId::DownloadStopped, "Download stopped"},
        {TextId::SigningIn, "Signing in..."},
        {TextId::SignedIn, "Signed in"},
        {TextId::ConfirmingAge, "Confirming age..."},
        {TextId::AgeConfirmed, "Age confirmed"},
        {TextId::DownloadingVideo, "Downloading video..."},
        {TextId::VideoDownloaded, "Video downloaded"},
        {TextId::ReadingVideoInfo, "Reading video information..."},
        {TextId::SettingSiteLanguage, "Setting site language..."},
        {TextId::ReadingVideoPage, "Reading the video page..."},
        {TextId::VideoPageRead, "Video page read"},
        {TextId::NoMediaAddress, "Error: cannot find the video file address"},
        {TextId::DownloadFailed, "Download failed"},
        {TextId::SignInFailed, "Sign-in failed"},
        {TextId::AgeConfirmationFailed, "Age confirmation failed"},
        {TextId::NetworkError, "Network error while downloading the video"},
        {TextId::HostedElsewhere, "The video is hosted on another site"},
        {TextId::CannotSetSiteLanguage, "Cannot set the site language"},
        {TextId::VerificationCodeRequired, "Verification code required: solve it in the browser window"},
        {TextId::NoMediaOnPage, "No video file was found on this page."},
        // The ranges the status codes count through, to their ends.
        {TextId::StatusTextsFrom100 + 3, "Age confirmed"},
        {TextId::StatusTextsFrom200 + 4, "Network error while downloading the video"},
        {TextId::StatusTextsFrom205 + 2, "Verification code required: solve it in the browser window"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuiltinString(c.id), QString::fromUtf8(c.text)) << c.id;
    EXPECT_TRUE(BuiltinString(TextId::NicoVideoAccountNotice).startsWith("No NicoVideo account is set."));
}

TEST_F(LocalizationTest, CodesThatLeaveTheFolderNameNoFile) {
    WriteFile("lang_evil.ini", "[STRING]\n32877=outside\n"); // beside the language folder
    SelectLanguage("../lang_evil");
    EXPECT_EQ(LoadText(32877), BuiltinString(32877));
    EXPECT_EQ(LanguageFilePath("../x"), "");
    EXPECT_EQ(LanguageFilePath(""), "");
}

TEST_F(LocalizationTest, SelectingAutoUsesTheLookupFileElseEnglish) {
    EXPECT_EQ(DetectUserLanguage(), std::nullopt); // no lookup file
    EXPECT_EQ(SelectLanguage("auto"), "en");

    WriteFile("lang/language_lookup.ini", "[language]\n0X0407=de\n0x0409=\n");
    SetSystemLanguageIdOverride(0x0407);
    EXPECT_EQ(SelectLanguage("auto"), "de");
    EXPECT_EQ(CurrentLanguage(), "de");
    SetSystemLanguageIdOverride(0x0409); // present but empty
    EXPECT_EQ(SelectLanguage("auto"), "en");
    SetSystemLanguageIdOverride(0x0411); // absent
    EXPECT_EQ(SelectLanguage("auto"), "en");
    // Any other code is taken as it is, file or not.
    EXPECT_EQ(SelectLanguage("qq"), "qq");
    EXPECT_EQ(CurrentLanguage(), "qq");
}

TEST_F(LocalizationTest, LocalBitmapsComeFromTheLanguageFolder) {
    WriteFile("lang/flag_xx.png", "png");
    WriteFile("secret.png", "png");
    WriteLanguage("xx", "[BITMAP]\n134=flag_xx.png\n135=missing.png\n136=..\\secret.png\n");
    SelectLanguage("xx");
    EXPECT_EQ(LoadLocalBitmap(134).filePath, Path("lang/flag_xx.png"));
    EXPECT_EQ(LoadLocalBitmap(134).resourceId, 134);
    EXPECT_EQ(LoadLocalBitmap(135).filePath, "");
    EXPECT_EQ(LoadLocalBitmap(136).filePath, "");
    EXPECT_EQ(LoadLocalBitmap(137).filePath, "");
}

TEST(LanguageIdTest, LocalesMapToWindowsLanguageIdentifiers) {
    EXPECT_EQ(LanguageIdForLocale(QLocale("en_US")), 0x0409);
    EXPECT_EQ(LanguageIdForLocale(QLocale("en_GB")), 0x0809);
    EXPECT_EQ(LanguageIdForLocale(QLocale("de_DE")), 0x0407);
    EXPECT_EQ(LanguageIdForLocale(QLocale("de_AT")), 0x0C07);
    EXPECT_EQ(LanguageIdForLocale(QLocale("ja_JP")), 0x0411);
    EXPECT_EQ(LanguageIdForLocale(QLocale("zh_TW")), 0x0404);
    EXPECT_EQ(LanguageIdForLocale(QLocale("zh_CN")), 0x0804);
    EXPECT_EQ(LanguageIdForLocale(QLocale("pt_BR")), 0x0416);
    EXPECT_EQ(LanguageIdForLocale(QLocale::c()), 0x0409);
    EXPECT_EQ(FormatLanguageId(0x0C07), "0x0C07");
    EXPECT_EQ(FormatLanguageId(0x0411), "0x0411");
}

// ---- the language menu ----

class LanguageMenuTest : public LocalizationTest {};

TEST_F(LanguageMenuTest, FilesWithoutANameAreNotOfferedButStillUsed) {
    WriteLanguage("de", "[General]\nlanguage=Deutsch\n");
    WriteLanguage("xx", "[STRING]\n32877=hidden but used\n");
    WriteFile("lang/readme.ini", "[General]\nlanguage=Not a language file\n");
    LanguageMenu menu;
    menu.Build();
    ASSERT_EQ(menu.Items().size(), 1u);
    EXPECT_EQ(menu.Items()[0].command, 40000);
    EXPECT_EQ(menu.Items()[0].text, "Deutsch");
    EXPECT_EQ(menu.Codes(), QStringList({"de"}));

    AppSettings settings;
    settings.LangID = "xx";
    SelectLanguage(settings.LangID);
    EXPECT_EQ(LoadText(32877), "hidden but used");
    // No item is checked for a language the menu does not offer.
    for (int command : {CommandId::LanguageAuto, 40000})
        EXPECT_FALSE(menu.IsChecked(command, settings.LangID));
}

TEST_F(LanguageMenuTest, ItemsFollowTheFileSystemOrder) {
    // Display names sort the opposite way to the file names.
    const char* codes[] = {"aa", "bb", "cc", "dd", "ee", "ff"};
    int n = 0;
    for (const char* code : codes)
        WriteLanguage(code, QByteArray("[General]\nlanguage=") + char('Z' - n++) + " language\n");

    QStringList expected;
    DIR* dir = opendir(QFile::encodeName(Path("lang")).constData());
    ASSERT_NE(dir, nullptr);
    while (dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.startsWith("lang_"))
            expected.append(name.mid(5).chopped(4));
    }
    closedir(dir);

    LanguageMenu menu;
    menu.Build();
    EXPECT_EQ(menu.Codes(), expected);
    for (size_t k = 0; k < menu.Items().size(); ++k)
        EXPECT_EQ(menu.Items()[k].command, 40000 + int(k));
}

TEST_F(LanguageMenuTest, ChoosingALanguageChangesItOnlyWhenItDiffers) {
    WriteLanguage("de", "[General]\nlanguage=Deutsch\n[STRING]\n32877=Anmeldung\n");
    WriteFile("lang/language_lookup.ini", "[LANGUAGE]\n0x0409=en\n");
    LanguageMenu menu;
    menu.Build();
    AppSettings settings;
    settings.LangID = "en";

    EXPECT_TRUE(menu.OnLanguageCommand(40000, settings));
    EXPECT_EQ(settings.LangID, "de");
    EXPECT_EQ(CurrentLanguage(), "de");
    EXPECT_EQ(LoadText(32877), "Anmeldung");
    EXPECT_TRUE(menu.IsChecked(40000, settings.LangID));
    EXPECT_FALSE(menu.IsChecked(CommandId::LanguageAuto, settings.LangID));

    // The current language again: nothing happens, not even a re-selection.
    SelectLanguage("en");
    EXPECT_FALSE(menu.OnLanguageCommand(40000, settings));
    EXPECT_EQ(CurrentLanguage(), "en");

    EXPECT_TRUE(menu.OnLanguageCommand(CommandId::LanguageAuto, settings));
    EXPECT_EQ(settings.LangID, "auto");
    EXPECT_EQ(CurrentLanguage(), "en"); // auto resolved through the lookup file
    EXPECT_TRUE(menu.IsChecked(CommandId::LanguageAuto, settings.LangID));
    EXPECT_FALSE(menu.IsChecked(40000, settings.LangID));

    // Commands without a language do nothing.
    EXPECT_FALSE(menu.OnLanguageCommand(40001, settings));
    EXPECT_FALSE(menu.OnLanguageCommand(39999, settings));
    EXPECT_EQ(settings.LangID, "auto");
}

TEST_F(LanguageMenuTest, OnlyTwentyOneLanguagesCanBeChosen) {
    for (int i = 0; i < 22; ++i)
        WriteLanguage(QStringLiteral("l%1").arg(i, 2, 10, QLatin1Char('0')),
                      QStringLiteral("[General]\nlanguage=Language %1\n").arg(i).toUtf8());
    LanguageMenu menu;
    menu.Build();
    ASSERT_EQ(menu.Items().size(), 22u);
    EXPECT_EQ(menu.Items().back().command, 40021);

    AppSettings settings;
    settings.LangID = "en";
    EXPECT_FALSE(menu.OnLanguageCommand(40021, settings));
    EXPECT_EQ(settings.LangID, "en");
    EXPECT_EQ(CurrentLanguage(), "en");
    EXPECT_TRUE(menu.OnLanguageCommand(40020, settings));
    EXPECT_EQ(settings.LangID, menu.Codes()[20]);
}

// ---- interface fonts ----

TEST_F(LocalizationTest, FontsAreTheFirstInstalledCandidate) {
    WriteLanguage("xx", "[STRING]\n32902=Missing Font, , Noto Sans ,DejaVu Sans\n32900=noto sans\n"
                        "32901= 1.25x\n");
    SelectLanguage("xx");
    const QSet<QString> installed = {"Noto Sans", "DejaVu Sans"};
    const FontAvailable check = [&](const QString& family) { return installed.contains(family); };
    InterfaceFonts fonts = ChooseInterfaceFonts(check);
    EXPECT_EQ(fonts.uiFontName, "Noto Sans");
    EXPECT_EQ(fonts.uiFontNameAlt, "Arial"); // the match is case-sensitive
    EXPECT_DOUBLE_EQ(fonts.uiFontScale, 1.25);

    fonts = ChooseInterfaceFonts(nullptr);
    EXPECT_EQ(fonts.uiFontName, "Arial");

    WriteLanguage("xx", "[STRING]\n32901=big\n");
    EXPECT_EQ(ChooseInterfaceFonts(check).uiFontScale, 0);
    EXPECT_DOUBLE_EQ(LeadingDouble(".5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingDouble("-2e1px"), -20);
}

// ---- the shipped language files ----

class ShippedLanguagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageFolder(qEnvironmentVariable("ZORV_TEST_BINARY_DIR") + "/bin/lang.qx.zorv");
    }
    void TearDown() override {
        SelectLanguage("en");
        SetLanguageFolder(QString());
        SetSystemLanguageIdOverride(std::nullopt);
    }
    // The printf conversions of a text, in order.
    static QStringList Conversions(const QString& text) {
        static const QRegularExpression conversion(QStringLiteral("%[a-z%]"));
        QStringList found;
        for (const QRegularExpressionMatch& m : conversion.globalMatch(text))
            found.append(m.captured());
        return found;
    }
};

TEST_F(ShippedLanguagesTest, GermanAndJapaneseGiveTheirTexts) {
    SelectLanguage("de");
    EXPECT_EQ(LoadText(32872), "Download abgeschlossen");
    EXPECT_EQ(LoadText(32798).count('\n'), 1);
    SelectLanguage("ja");
    EXPECT_EQ(LoadText(32892),
              QString::fromUtf8("\xE3\x83\x8B\xE3\x82\xB3\xE3\x83\x8B\xE3\x82\xB3\xE5\x8B\x95\xE7\x94\xBB"));
    EXPECT_EQ(TranslateText("Zorv YouTube Downloader"),
              QString::fromUtf8(
                  "Zorv YouTube "
                  "\xE3\x83\x80\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\xAD\xE3\x83\xBC\xE3\x83\x80\xE3\x83\xBC"));
    SelectLanguage("en");
    EXPECT_EQ(LoadText(32872), BuiltinString(32872));
}

TEST_F(ShippedLanguagesTest, TheLookupFileNamesTheShippedLanguages) {
    const std::pair<quint16, const char*> expected[] = {
        {0x0409, "en"}, {0x0809, "en"}, {0x0407, "de"}, {0x0C07, "de"}, {0x0411, "ja"}};
    for (const auto& [id, code] : expected) {
        EXPECT_EQ(LookupLanguageCode(id), QString(code)) << FormatLanguageId(id).toStdString();
        SetSystemLanguageIdOverride(id);
        EXPECT_EQ(SelectLanguage("auto"), code);
    }
    LanguageMenu menu;
    menu.Build();
    QStringList codes = menu.Codes();
    codes.sort();
    EXPECT_EQ(codes, QStringList({"de", "en", "ja"}));
}

TEST_F(ShippedLanguagesTest, EveryLanguageTranslatesEveryStringWithTheSameConversions) {
    for (const char* code : {"en", "de", "ja"}) {
        SCOPED_TRACE(code);
        const IniFile file(LanguageFilePath(code));
        ASSERT_TRUE(file.IsLoaded());
        QList<int> ids;
        for (const QString& key : file.Keys("STRING"))
            ids.append(key.toInt());
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, BuiltinStringIds());
        SelectLanguage(code);
        for (int id : BuiltinStringIds()) {
            const QString text = LoadText(id);
            EXPECT_FALSE(text.isEmpty()) << id;
            EXPECT_EQ(Conversions(text), Conversions(BuiltinString(id))) << id;
            if (QLatin1String(code) == "en") {
                EXPECT_EQ(text, BuiltinString(id)) << id;
            }
        }
    }
}
