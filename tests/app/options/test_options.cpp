// The options sheet on its own, over real settings files: what OK stores and
// saves, what Cancel leaves alone, the refused values, and the video page's
// fitting rule.
#include "base/AppSettings.h"
#include "app/options/COptionsSheet.h"
#include "app/options/CPageAudio.h"
#include "app/options/CPageGeneral.h"
#include "app/options/CPageOnline.h"
#include "app/options/CPageVideo.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "support/TempDirTest.h"
#include "support/gui/GuiTestSupport.h"

#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

class OptionsSheetTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        TestApp();
        settings_.OutputFolder = Path("out");
        settings_.Save();
    }
    static QByteArray StoreBytes() {
        const QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Quillmere",
                              "Zorv YouTube Downloader");
        return ReadFile(store.fileName());
    }
    // A sheet whose saves are counted (and still written).
    std::unique_ptr<COptionsSheet> Sheet() {
        auto sheet = std::make_unique<COptionsSheet>(settings_, prompts_);
        sheet->saveSettings = [this] {
            ++saves_;
            settings_.Save();
        };
        return sheet;
    }

    AppSettings settings_;
    WindowPrompts prompts_;
    int saves_ = 0;
};

TEST_F(OptionsSheetTest, CancelAfterBrowseLeavesSettingsAndTheFileUnchanged) {
    const QByteArray before = StoreBytes();
    prompts_.pickedFolder = Path("picked");
    auto sheet = Sheet();
    sheet->Tabs()->setCurrentIndex(3); // every page loaded
    sheet->General()->Browse();
    EXPECT_EQ(sheet->General()->Folder()->text(), Path("picked"));
    EXPECT_TRUE(QFileInfo(Path("picked")).isDir());
    sheet->reject();
    EXPECT_EQ(saves_, 0);
    EXPECT_EQ(StoreBytes(), before);
    settings_.Save(); // the same bytes again: nothing changed in memory either
    EXPECT_EQ(StoreBytes(), before);
}

TEST_F(OptionsSheetTest, OkSavesOncePerShownPageAndStoresOnlyThosePages) {
    struct Case {
        QList<int> visited;
        int saves;
    };
    for (const Case& c : {Case{{}, 1}, Case{{2}, 2}, Case{{1, 2, 3}, 4}}) {
        settings_.YTUser = QStringLiteral("  bob ");
        settings_.OUT_VOLUME = 7;
        settings_.MPLAYER_VO = QStringLiteral("odd");
        saves_ = 0;
        auto sheet = Sheet();
        for (int page : c.visited)
            sheet->Tabs()->setCurrentIndex(page);
        sheet->accept();
        EXPECT_EQ(sheet->result(), QDialog::Accepted);
        EXPECT_EQ(saves_, c.saves) << c.saves;
        const bool online = c.visited.contains(1), video = c.visited.contains(3);
        EXPECT_EQ(settings_.YTUser, online ? QStringLiteral("bob") : QStringLiteral("  bob "));
        EXPECT_EQ(settings_.OUT_VOLUME, 7);
        EXPECT_EQ(settings_.MPLAYER_VO, video ? QStringLiteral("xv") : QStringLiteral("odd"));
    }
}

TEST_F(OptionsSheetTest, VideoOutputOpensOnItsButtonAndAnUnknownNameOnTheFirst) {
    struct Case {
        const char* stored;
        int button;
        const char* saved;
    };
    for (const Case& c : {Case{"xv", 0, "xv"}, Case{"x11", 1, "x11"}, Case{"gl", 2, "gl"},
                          Case{"directx", 0, "xv"}, Case{"", 0, "xv"}}) {
        settings_.MPLAYER_VO = QString::fromLatin1(c.stored);
        auto sheet = Sheet();
        sheet->Tabs()->setCurrentIndex(3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(sheet->Video()->Output(i)->isChecked(), i == c.button) << c.stored;
        sheet->accept();
        EXPECT_EQ(settings_.MPLAYER_VO, QLatin1String(c.saved));
    }
}

TEST_F(OptionsSheetTest, FittingToOneSideExcludesTheOtherAndEnablesTheExpandBoxes) {
    constexpr int W = CPageVideo::kFitWidthId, H = CPageVideo::kFitHeightId, none = 0;
    struct Case {
        int width, height; // stored
        int click;         // box clicked after opening
        bool widthOn, heightOn, expandOn;
    };
    for (const Case& c : {Case{0, 0, none, true, true, false}, Case{1, 0, none, true, false, true},
                          Case{0, 1, none, false, true, true}, Case{0, 0, W, true, false, true},
                          Case{0, 0, H, false, true, true}, Case{1, 0, W, true, true, false},
                          Case{0, 1, H, true, true, false}}) {
        settings_.Fit2Width = c.width;
        settings_.Fit2Height = c.height;
        settings_.ExpandSize = 1;
        auto sheet = Sheet();
        sheet->Tabs()->setCurrentIndex(3);
        CPageVideo& page = *sheet->Video();
        if (c.click != none)
            page.Box(c.click)->click();
        const std::string label =
            std::to_string(c.width) + std::to_string(c.height) + std::to_string(c.click);
        EXPECT_EQ(page.Box(W)->isEnabled(), c.widthOn) << label;
        EXPECT_EQ(page.Box(H)->isEnabled(), c.heightOn) << label;
        EXPECT_EQ(page.Box(CPageVideo::kExpandId)->isEnabled(), c.expandOn) << label;
        EXPECT_EQ(page.Box(CPageVideo::kRound16Id)->isEnabled(), c.expandOn) << label;
        EXPECT_TRUE(page.Box(CPageVideo::kExpandId)->isChecked()) << label; // kept while disabled
    }
}

TEST_F(OptionsSheetTest, RefusedValuesKeepTheSheetOpenAndStoreNothing) {
    struct Case {
        int page;
        QString text;
        bool accepted;
    };
    const QString longest = Path() + QLatin1Char('/') + QString(259 - Path().size(), QLatin1Char('d'));
    for (const Case& c :
         {Case{1, "99", true}, Case{1, "0", true}, Case{1, "100", false}, Case{1, "-1", false},
          Case{1, "x", false}, Case{1, "", false}, Case{0, longest, true}, Case{0, longest + "d", false}}) {
        settings_.RetryTimes = 5;
        settings_.OutputFolder = Path("out");
        prompts_.messages.clear();
        auto sheet = Sheet();
        sheet->Tabs()->setCurrentIndex(c.page);
        QLineEdit* edit = c.page == 0 ? sheet->General()->Folder() : sheet->Online()->Retry();
        edit->setText(c.text);
        // Leaving the page is refused like OK.
        sheet->Tabs()->setCurrentIndex(2);
        EXPECT_EQ(sheet->Tabs()->currentIndex(), c.accepted ? 2 : c.page) << c.text.toStdString();
        sheet->accept();
        EXPECT_EQ(sheet->result() == QDialog::Accepted, c.accepted) << c.text.toStdString();
        EXPECT_EQ(prompts_.messages.size(), c.accepted ? 0 : 2) << c.text.toStdString();
        EXPECT_EQ(saves_ > 0, c.accepted);
        saves_ = 0;
        if (!c.accepted) {
            EXPECT_EQ(settings_.RetryTimes, 5);
            EXPECT_EQ(settings_.OutputFolder, Path("out"));
        }
    }
}

TEST_F(OptionsSheetTest, VolumeLabelFollowsTheSlider) {
    settings_.OUT_VOLUME = 5;
    auto sheet = Sheet();
    sheet->Tabs()->setCurrentIndex(2);
    CPageAudio& page = *sheet->Audio();
    EXPECT_EQ(page.VolumeLabel()->text(), QStringLiteral("5 db"));
    page.Volume()->triggerAction(QSlider::SliderToMinimum);
    EXPECT_EQ(page.VolumeLabel()->text(), QStringLiteral("-20 db"));
    sheet->accept();
    EXPECT_EQ(settings_.OUT_VOLUME, -20);
}

// The version line answers what the program in the field says, asked again
// once the user stops typing and after a pick in the file chooser; OK keeps
// the path.
TEST_F(OptionsSheetTest, YtDlpVersionLineFollowsTheProgramInTheField) {
    const auto tool = [this](const QString& name, const QByteArray& body) {
        const QString path = WriteFile(name, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return path;
    };
    const QString fresh = QDate::currentDate().addDays(-3).toString(QStringLiteral("yyyy.MM.dd"));
    const struct {
        QString path;
        QString line;
        bool warned;
    } cases[] = {
        {tool("old", "echo 2020.01.05"), "yt-dlp version 2020.01.05", true},
        {tool("fresh", "echo " + fresh.toLatin1()), "yt-dlp version " + fresh, false},
        {Path("nowhere/yt-dlp"), LoadText(TextId::YtDlpNotFound), false},
        {tool("broken", "exit 3"), "yt-dlp does not work: yt-dlp --version failed (exit code 3)", false},
    };
    auto sheet = Sheet();
    sheet->show();
    sheet->Tabs()->setCurrentIndex(1);
    CPageOnline* page = sheet->Online();
    EXPECT_EQ(page->YtDlpPath()->placeholderText(), "yt-dlp on PATH");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        page->YtDlpPath()->clear();
        QTest::keyClicks(page->YtDlpPath(), c.path);
        ASSERT_TRUE(WaitForGui([&] { return page->YtDlpVersionLine()->text() == c.line; }))
            << page->YtDlpVersionLine()->text().toStdString();
        EXPECT_FALSE(page->IsQueryingVersion());
        EXPECT_EQ(page->YtDlpWarning()->isVisibleTo(page), c.warned);
        EXPECT_EQ(page->YtDlpWarning()->text().contains("pipx upgrade yt-dlp"), c.warned);
    }
    const QString picked = tool("picked", "echo 2021.02.03");
    page->pickProgram = [&](const QString& title, const QString& start) -> std::optional<QString> {
        EXPECT_EQ(title, "Choose the yt-dlp program");
        EXPECT_EQ(start, cases[3].path);
        return picked;
    };
    page->BrowseYtDlp();
    EXPECT_EQ(page->YtDlpVersionLine()->text(), LoadText(TextId::YtDlpChecking));
    ASSERT_TRUE(WaitForGui([&] { return page->YtDlpVersionLine()->text() == "yt-dlp version 2021.02.03"; }));
    sheet->accept();
    EXPECT_EQ(settings_.YtDlpPath, picked);
}
