// The real main window on a real X display (its own Xvfb, xcb platform):
// an address pasted from the clipboard is downloaded from the site
// simulator into the history, and the whole window is saved as a picture.
#include "app/MainWindowFixture.h"
#include "app/MainWindowWidgets.h"
#include "app/history/HistoryList.h"
#include "app/history/HistoryListView.h"
#include "app/history/SiteTreePanel.h"
#include "app/tasklist/DownloadTaskList.h"
#include "app/tasklist/TaskListModel.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "support/XvfbDisplay.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>
#include <QWindow>

#include <vector>

namespace {
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);

} // namespace

class MainWindowE2E : public MainWindowFixture {};

TEST_F(MainWindowE2E, ShowsOnTheXServerAndIsSaved) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    CTrevaloDlg& window = Open();
    ASSERT_TRUE(WaitForGui([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    window.OnStripButton(20); // the site panel, too
    ASSERT_TRUE(window.IsSiteTreeVisible());
    EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("main-window-frame.png")));
    QStringList titles;
    for (const QAction* popup : window.Widgets().menuBar->actions())
        titles << popup->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Tools", "T&asks", "&Help"}));

    // Each menu as it opens: texts and enabled states of an empty list, with
    // no address on the clipboard.
    QApplication::clipboard()->setText(QStringLiteral("not an address"));
    struct Item {
        QString text;
        bool enabled;
    };
    const auto shownItems = [&](QMenu* menu) {
        std::vector<Item> items;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                items.push_back({action->text(), action->isEnabled()});
        return items;
    };
    const auto itemsText = [](const std::vector<Item>& items) {
        QStringList out;
        for (const Item& item : items)
            out << item.text + (item.enabled ? QStringLiteral(" (enabled)") : QStringLiteral(" (disabled)"));
        return out;
    };
    const struct {
        int popup;
        const char* picture; // saved when not null
        std::vector<Item> items;
    } menus[] = {
        {0,
         nullptr,
         {{"&Add addresses...\tCtrl+N", true},
          {"&Paste address\tCtrl+V", false},
          {"&Import links...", true},
          {"&Open output folder\tCtrl+O", true},
          {"&Choose output folder...", true},
          {"E&xit", true}}},
        {2,
         "menu-tasks.png",
         {{"Start &all\tF5", false},
          {"Start &selected\tCtrl+F5", false},
          {"S&top\tShift+F8", false},
          {"Stop, &asking first...\tF8", false},
          {"&Remove selected\tDel", false},
          {"Remove a&ll", false},
          {"Select a&ll\tCtrl+A", false},
          {"&Check selected", false},
          {"&Uncheck selected", false},
          {"Open containing &folder", false}}},
    };
    for (const auto& m : menus) {
        SCOPED_TRACE(m.popup);
        QMenu* menu = window.Widgets().menuBar->actions().value(m.popup)->menu();
        ASSERT_NE(menu, nullptr);
        menu->popup(window.mapToGlobal(QPoint(350, 38)));
        ASSERT_TRUE(WaitForGui([&] { return menu->isVisible(); }));
        EXPECT_EQ(itemsText(shownItems(menu)), itemsText(m.items));
        if (m.picture) {
            EXPECT_TRUE(SaveScreenshot(*menu, QLatin1String(m.picture)));
        }
        menu->hide();
    }
}

TEST_F(MainWindowE2E, PastedAddressIsDownloadedIntoTheHistory) {
    // The start-up check finds no newer version, so no update dialog takes
    // the focus from the window.
    sim_->SetPublishedVersion(QStringLiteral("1.0.8"));
    CTrevaloDlg& window = Open(/*connected=*/true);
    ASSERT_TRUE(WaitForGui([&] { return window.windowHandle()->isExposed(); }));
    QApplication::clipboard()->setText(Address(QStringLiteral("zvNormal001")));
    ASSERT_TRUE(WaitForGui([&] { return window.IsCommandEnabled(57637); }));
    ASSERT_TRUE(window.ExecuteCommand(57637));
    ASSERT_EQ(Rows()->rowCount(), 1);
    ASSERT_TRUE(window.ExecuteCommand(32855));

    const bool filled = WaitForGui(
        [&] {
            return CountHistory(history_.get()) == 1 && !window.TaskList()->IsDownloading() &&
                   Rows()->index(0, 5).data().toString().endsWith(QLatin1String(" fps"));
        },
        std::chrono::seconds(90));
    ASSERT_TRUE(SaveScreenshot(window, QStringLiteral("main-window.png")));
    ASSERT_TRUE(filled) << "status: " << Rows()->index(0, 6).data().toString().toStdString();
    EXPECT_NE(Rows()->index(0, 2).data().toString(), QStringLiteral("N/A"));
    EXPECT_NE(Rows()->index(0, 3).data().toString(), QStringLiteral("Online"));
    EXPECT_TRUE(Rows()->index(0, 4).data().toString().contains(QLatin1Char('x')));
}

TEST_F(MainWindowE2E, SiteHistoryListIsSaved) {
    // Downloads of the last year or so, as the program records them.
    const struct {
        const char* file;
        const char* id;
        int seconds;
        const char* format;
        int width, height;
        int daysAgo;
    } rows[] = {
        {"Harbour lights at dusk - timelapse.flv", "zvHarbour01", 214, "flv1", 320, 240, 0},
        {"How to fold a paper crane.mp4", "zvCrane0002", 372, "avc1", 480, 360, 0},
        {"Street piano in the old station.flv", "zvPiano0003", 187, "flv1", 320, 240, 9},
        {"Morning birdsong in the beech wood.mp4", "zvBirds0004", 3725, "avc1", 640, 360, 41},
        {"Cycling the coast road (full ride).mp4", "zvCoast0005", 1508, "avc1", 640, 480, 75},
        {"Sourdough starter, day one.flv", "zvBread0006", 455, "flv1", 320, 240, 400},
    };
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto& r : rows) {
        DownloadTask task;
        task.location = Path("downloads/YouTube/") + QString::fromUtf8(r.file);
        task.pageUrl = QStringLiteral("http://www.youtube.com/watch?v=") + QLatin1String(r.id);
        task.site = 0;
        task.state = DownloadTask::LocalFile;
        task.lengthMs = task.markOutMs = r.seconds * 1000;
        task.videoFormat = QLatin1String(r.format);
        task.width = r.width;
        task.height = r.height;
        // Today's rows an hour apart; older ones at mid-day.
        const QDateTime when = r.daysAgo ? QDateTime(now.date().addDays(-r.daysAgo), QTime(12, 30))
                                         : QDateTime(now.date(), QTime(9 + 2 * int(&r - rows), 15));
        ASSERT_EQ(InsertHistory(history_.get(), task, when), 1);
    }
    CTrevaloDlg& window = Open();
    ASSERT_TRUE(WaitForGui([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    ASSERT_TRUE(window.IsSiteTreeVisible());
    SiteTreePanel* tree = window.SiteTree();
    tree->Tree()->setCurrentItem(tree->Node(SiteTreePanel::kYouTube));
    ASSERT_FALSE(window.IsTaskListInFront());
    ASSERT_EQ(window.History()->Model()->rowCount(), 6);
    window.History()->ListView()->selectRow(1);
    EXPECT_EQ(tree->Node(SiteTreePanel::kYouTube)->text(0), QStringLiteral("YouTube (6)"));
    EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("history.png")));
}

// An https page of a site the program has no reader for, pasted into the
// real window: yt-dlp downloads it, the row shows its progress (saved in
// English, German and Japanese at the smallest window size, with no text of
// the window, the downloading row or the status line cut off, with the site
// panel closed or open), and closing the window meanwhile leaves no process
// and nothing in the output folder.
class MainWindowYtDlpE2E : public LanguageSwitchingFixture {};

TEST_F(MainWindowYtDlpE2E, AnHttpsPageDownloadsThroughYtDlpAndClosingTheWindowLeavesNothing) {
    sim_->SetPublishedVersion(QStringLiteral("1.0.8")); // no update dialog
    const struct {
        const char* code;
        const char* picture;
    } languages[] = {{"en", "main-window-ytdlp.png"},
                     {"de", "main-window-ytdlp-de.png"},
                     {"ja", "main-window-ytdlp-ja.png"}};
    const QStringList before = ChildProcesses(); // the X server
    for (const auto& language : languages) {
        SCOPED_TRACE(language.code);
        Settings().LangID = QString::fromLatin1(language.code);
        SelectLanguage(Settings().LangID);
        CTrevaloDlg& window = Open(/*connected=*/true);
        ASSERT_TRUE(WaitForGui([&] { return window.windowHandle()->isExposed(); }));
        // Seconds for a small file: the picture and the close come during it.
        sim_->SetMediaFault(QStringLiteral("crawl"));
        QApplication::clipboard()->setText(sim_->GenericTlsBase() + QStringLiteral("/watch/clip-two"));
        // (an https address of a host that is none of the four sites)
        ASSERT_TRUE(WaitForGui([&] { return window.IsCommandEnabled(57637); }));
        ASSERT_TRUE(window.ExecuteCommand(57637));
        ASSERT_EQ(Rows()->rowCount(), 1);
        ASSERT_TRUE(window.ExecuteCommand(32855));
        const auto status = [&] { return Rows()->index(0, 6).data().toString(); };
        ASSERT_TRUE(WaitForGui([&] { return window.TaskList()->Worker()->ReceivedBytes() > 0; },
                               std::chrono::seconds(60)))
            << status().toStdString();
        ASSERT_TRUE(WaitForGui([&] { return Rows()->index(0, 1).data().toString() != "N/A"; }));
        // The status line names what the bytes come from: the page.
        ASSERT_TRUE(WaitForGui([&] {
            return window.StatusText().contains(QLatin1String("/watch/clip-two"));
        })) << window.StatusText().toStdString();
        // yt-dlp numbers the videos it finds in a page: the first of one.
        EXPECT_EQ(Rows()->index(0, 1).data().toString().toStdString(), "Second clip (1)");
        EXPECT_TRUE(SaveScreenshot(window, QLatin1String(language.picture)));
        EXPECT_EQ(window.size(), QSize(999, 600));
        EXPECT_EQ(CutTexts(&window).join(QLatin1Char('\n')).toStdString(), "");
        // With the site panel open the list is narrower than its columns:
        // it scrolls sideways, and every step of a download still shows whole.
        window.OnStripButton(20);
        ASSERT_TRUE(window.IsSiteTreeVisible());
        for (int step : {TextId::ReadingVideoPage, TextId::VideoPageRead, TextId::ReadingVideoInfo,
                         TextId::DownloadingVideo, TextId::VideoDownloaded, TextId::DownloadCompleted,
                         TextId::DownloadStopped}) {
            window.TaskList()->Model()->SetCellText(0, TaskListModel::StatusColumn, LoadText(step));
            EXPECT_EQ(CutTexts(&window).join(QLatin1Char('\n')).toStdString(), "") << step;
        }
        if (QLatin1String(language.code) == QLatin1String("de"))
            EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("main-window-sites-de.png")));
        window.OnStripButton(20);
        ASSERT_GT(ChildProcessCount(), before.size()); // yt-dlp runs

        prompts_.answers = {true}; // "Stop the downloads and exit?"
        window.close();
        window_.reset(); // as main() does once the window has closed
        EXPECT_EQ(prompts_.questions.size(), 1);
        prompts_.questions.clear();
        EXPECT_EQ(ChildProcesses(), before);
        EXPECT_EQ(FolderTree(Path("downloads")), QStringList());
        sim_->SetMediaFault(QString());
    }
}
