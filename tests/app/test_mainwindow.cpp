// The main window's frame and commands on the offscreen platform: start-up,
// the strip's enabling rules, enabled tests from every source, placement.
#include "app/MainWindowFixture.h"
#include "app/MainWindowWidgets.h"
#include "app/ZorvApp.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/WindowPlacement.h"
#include "ui/TitleButtonStrip.h"
#include "update/gui/CCheckUpdateDlg.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <QToolButton>

namespace {
// Triggers the item of command `id` in the menu bar the way a click does;
// false when the item is disabled. A menu without the item fails the test:
// a command that vanished from the menu must not pass as "disabled".
bool TriggerMenuCommand(CTrevaloDlg& window, int id) {
    for (QAction* popup : window.Widgets().menuBar->actions()) {
        Q_EMIT popup->menu()->aboutToShow(); // refreshes the enabled states
        for (QAction* item : popup->menu()->actions())
            if (item->data().toInt() == id) {
                if (!item->isEnabled())
                    return false;
                item->trigger();
                return true;
            }
    }
    ADD_FAILURE() << "no menu item for command " << id;
    return false;
}
} // namespace

class MainWindowTest : public MainWindowFixture {};

TEST_F(MainWindowTest, StartUpLogsItsStepsInOrderAndEndsWithoutTheBundle) {
    struct Case {
        QString bundle;
        bool starts;
        QStringList logTail; // the last lines of the log, in order
    };
    const QString present = ResourceBundle::DefaultPath();
    const QString missing = Path("nowhere/qxres_zorv.rcc");
    const QString product = QStringLiteral("Loading program Zorv YouTube Downloader ...");
    const Case cases[] = {
        {missing, false, {product, QStringLiteral("Loading resource dll [%1] ...").arg(missing)}},
        {present,
         true,
         {product, QStringLiteral("Loading resource dll [%1] ...").arg(present),
          QStringLiteral("Set resource handle as resource DLL successfully.")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bundle.toStdString());
        QFile::remove(LogPath());
        WindowPrompts prompts;
        ZorvApp app(prompts, power_, c.bundle);
        EXPECT_EQ(app.InitInstance(), c.starts);
        QStringList log = LogMessages();
        if (!c.starts) {
            EXPECT_EQ(prompts.messages, QStringList{QLatin1String(ZorvApp::kMissingBundleText)});
            EXPECT_EQ(log.mid(log.size() - 2), c.logTail);
            continue;
        }
        EXPECT_TRUE(prompts.messages.isEmpty());
        const QStringList order = {QStringLiteral("Logger initialized."),
                                   c.logTail[1],
                                   c.logTail[2],
                                   product,
                                   QStringLiteral("Winsock and OLE initialized."),
                                   QStringLiteral("Common controls and shell manager initialized."),
                                   QStringLiteral("BCG library initialized."),
                                   QStringLiteral("Loading profiles..."),
                                   QStringLiteral("Starting main dialog ...")};
        qsizetype at = 0;
        for (const QString& expected : order) {
            at = log.indexOf(expected, at);
            EXPECT_GE(at, 0) << expected.toStdString() << " missing or out of order";
        }
    }
}

TEST_F(MainWindowTest, AnUnreadableHistoryIsKeptAndTheUserToldOnceAtStart) {
    history_.reset();
    const QString path = GetDataFolder() + QStringLiteral("/history.db");
    const QByteArray junk(4096, '\x5a');
    WriteFile(QStringLiteral("junk"), junk);
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(Path("junk"), path));

    WindowPrompts prompts;
    ZorvApp app(prompts, power_, ResourceBundle::DefaultPath());
    ASSERT_TRUE(app.InitInstance());
    const QStringList kept = QDir(GetDataFolder()).entryList({QStringLiteral("history.db.unreadable-*")});
    ASSERT_EQ(kept.size(), 1);
    const QString aside = GetDataFolder() + QLatin1Char('/') + kept[0];
    EXPECT_EQ(ReadFile(aside), junk);
    EXPECT_EQ(prompts.messages, QStringList{FillFormat(LoadText(33304), {aside})});
}

TEST_F(MainWindowTest, CommandsRunOnlyWhenTheirTestPassesWhateverIssuesThem) {
    sim_->SetMediaFault(QStringLiteral("slow")); // keeps the batch running until stopped
    CTrevaloDlg& window = Open();
    TitleButtonStrip* strip = window.Strip();
    EXPECT_FALSE(strip->IsButtonEnabled(StripButton::StartAll));
    EXPECT_FALSE(strip->IsButtonEnabled(StripButton::StopAsking));

    // Nothing runs: stopping asks nothing, from the key, the strip or the menu.
    QTest::keyClick(&window, Qt::Key_F8);
    window.OnStripButton(StripButton::StopAsking);
    EXPECT_FALSE(TriggerMenuCommand(window, 32836));
    EXPECT_TRUE(prompts_.questions.isEmpty());

    // Paste is enabled only for a web address on the clipboard.
    QApplication::clipboard()->setText(QStringLiteral("ftp://www.youtube.com/watch?v=zvNormal001"));
    QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Rows()->rowCount(), 0);
    EXPECT_TRUE(prompts_.messages.isEmpty()) << "a disabled paste must not even be tried";
    QApplication::clipboard()->setText(Address(QStringLiteral("zvNormal001")));
    QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(Rows()->rowCount(), 1);
    EXPECT_TRUE(strip->IsButtonEnabled(StripButton::StartAll));
    EXPECT_FALSE(strip->IsButtonEnabled(StripButton::StopAsking));

    // An unchecked pending row: start all may run, the strip's start may not.
    ASSERT_TRUE(Rows()->setData(Rows()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(strip->IsButtonEnabled(StripButton::StartAll));
    EXPECT_TRUE(window.IsCommandEnabled(32855));
    window.OnStripButton(StripButton::StartAll);
    EXPECT_FALSE(window.TaskList()->IsDownloading());
    ASSERT_TRUE(Rows()->setData(Rows()->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    ASSERT_TRUE(strip->IsButtonEnabled(StripButton::StartAll));

    QTest::mouseClick(strip->Button(StripButton::StartAll), Qt::LeftButton);
    ASSERT_TRUE(window.TaskList()->IsDownloading());
    EXPECT_FALSE(strip->IsButtonEnabled(StripButton::StartAll));
    EXPECT_TRUE(strip->IsButtonEnabled(StripButton::StopAsking));
    EXPECT_FALSE(window.IsCommandEnabled(32855));

    // While it runs: the key asks (answered No), closing asks (No) and stays.
    QTest::keyClick(&window, Qt::Key_F8);
    window.OnStripButton(StripButton::Close);
    EXPECT_EQ(prompts_.questions, (QStringList{LoadText(309), LoadText(32805)}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.TaskList()->IsDownloading());

    // The menu's stop ends it; afterwards the strip's stop is ignored.
    EXPECT_TRUE(TriggerMenuCommand(window, 32856));
    EXPECT_TRUE(WaitForGui([&] { return !window.TaskList()->IsDownloading(); }));
    EXPECT_FALSE(strip->IsButtonEnabled(StripButton::StopAsking));
    window.OnStripButton(StripButton::StopAsking);
    EXPECT_EQ(prompts_.questions.size(), 2);
}

TEST_F(MainWindowTest, PlacementIsRestoredFromWindowPosAndSavedOnClose) {
    struct Case {
        const char* stored;
        QRect expectNormal;
        bool maximized;
    };
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const WindowPlacement centred = DefaultWindowPlacement(screen.width(), screen.height());
    const Case cases[] = {
        {"0,1,-1,-1,-1,-1,10,10,1009,610", QRect(10, 10, 999, 600), false},
        {"0,1,-1", QRect(centred.left, centred.top, 999, 600), false},
        {"0,3,-1,-1,-1,-1,20,30,1120,730", QRect(20, 30, 1100, 700), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quillmere"),
                        QStringLiteral("Zorv YouTube Downloader"));
        store.setValue(QStringLiteral("Setting/WindowPos"), QString::fromLatin1(c.stored));
        store.sync();
        CTrevaloDlg& window = Open();
        EXPECT_EQ(window.isMaximized(), c.maximized);
        EXPECT_EQ(c.maximized ? window.normalGeometry() : window.geometry(), c.expectNormal);
        window.OnStripButton(StripButton::SiteTree); // shown -> hidden or back
        const bool siteTree = window.IsSiteTreeVisible();
        window.OnStripButton(StripButton::Close);
        EXPECT_FALSE(window.isVisible());

        const StoredWindowState saved = LoadWindowState(screen.width(), screen.height());
        EXPECT_EQ(saved.placement.showCmd, c.maximized ? 3u : 1u);
        EXPECT_EQ(QRect(QPoint(saved.placement.left, saved.placement.top),
                        QPoint(saved.placement.right - 1, saved.placement.bottom - 1)),
                  c.expectNormal);
        EXPECT_EQ(saved.showMM, siteTree ? 1 : 0);
        window_.reset();
    }
}

TEST_F(MainWindowTest, FrameResizesWithinFivePixelsOfAnEdgeAndDoubleClicksInTheTopStrip) {
    CTrevaloDlg& window = Open();
    EXPECT_GE(window.minimumWidth(), 999);
    EXPECT_GE(window.minimumHeight(), 600);
    const int w = window.width(), h = window.height();
    const struct {
        QPoint at;
        Qt::CursorShape cursor;
    } edges[] = {
        {{0, h / 2}, Qt::SizeHorCursor},   {{4, h / 2}, Qt::SizeHorCursor},
        {{5, h / 2}, Qt::ArrowCursor},     {{w - 5, h / 2}, Qt::SizeHorCursor},
        {{w - 6, h / 2}, Qt::ArrowCursor}, {{w / 2, h - 1}, Qt::SizeVerCursor},
        {{2, 2}, Qt::SizeFDiagCursor},     {{w - 2, h - 2}, Qt::SizeFDiagCursor},
        {{w - 2, 2}, Qt::SizeBDiagCursor},
    };
    for (const auto& e : edges) {
        QTest::mouseMove(&window, e.at);
        EXPECT_EQ(window.cursor().shape(), e.cursor) << e.at.x() << "," << e.at.y();
    }
    QTest::mouseDClick(&window, Qt::LeftButton, {}, QPoint(400, 10));
    EXPECT_TRUE(WaitForGui([&] { return window.isMaximized(); }));
    QTest::mouseDClick(&window, Qt::LeftButton, {}, QPoint(400, 10));
    EXPECT_TRUE(WaitForGui([&] { return !window.isMaximized(); }));
    QTest::mouseDClick(&window, Qt::LeftButton, {}, QPoint(400, 40)); // below the strip: nothing
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_FALSE(window.isMaximized());
    EXPECT_TRUE(window.isVisible());
    QTest::mouseDClick(&window, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(MainWindowTest, AnOutputFolderThatCannotBeMadeIsReplacedByTheUsersChoiceAtStart) {
    const QString blocked = WriteFile(QStringLiteral("a-file"), "x") + QStringLiteral("/downloads");
    const QString chosen = Path("chosen");
    Settings().OutputFolder = blocked;
    prompts_.pickedFolder = chosen;
    CTrevaloDlg& window = Open();
    EXPECT_EQ(prompts_.messages, QStringList{LoadText(32798)});
    EXPECT_EQ(prompts_.pickerTitles, QStringList{LoadText(32813)});
    EXPECT_EQ(window.Widgets().outputFolder->text(), chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());
    // The choice is the setting from now on, so the worker is not handed the
    // unusable folder again.
    EXPECT_EQ(Settings().OutputFolder, chosen);
    EXPECT_TRUE(window.StatusText().contains(chosen));
}

TEST_F(MainWindowTest, StartUpUpdateCheckOpensTheUpdateDialogForANewerVersion) {
    sim_->SetPublishedVersion(QStringLiteral("1.0.9"));
    CTrevaloDlg& window = Open(/*connected=*/true);
    EXPECT_TRUE(
        LogMessages().contains(QStringLiteral("Internet connection available, checking update version...")));
    CCheckUpdateDlg* dialog = nullptr;
    ASSERT_TRUE(WaitForGui([&] { return (dialog = window.findChild<CCheckUpdateDlg*>()) != nullptr; },
                           std::chrono::seconds(30)));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->Control(CCheckUpdateDlg::kLatestId)->text(), FillFormat(LoadText(253), {"1.0.9"}));
    EXPECT_TRUE(dialog->Control(CCheckUpdateDlg::kLinkId)->isVisibleTo(dialog));
    dialog->accept();
    EXPECT_TRUE(WaitForGui([&] { return window.findChild<CCheckUpdateDlg*>() == nullptr; }));
}

TEST_F(MainWindowTest, CheckForUpdatesCommandOpensTheDialogCheckingAtOnce) {
    sim_->SetPublishedVersion(QStringLiteral("1.0.8"));
    CTrevaloDlg& window = Open();
    ASSERT_TRUE(window.ExecuteCommand(32771));
    auto* dialog = window.findChild<CCheckUpdateDlg*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(
        WaitForGui([&] { return dialog->Control(CCheckUpdateDlg::kStatusId)->text() == LoadText(254); },
                   std::chrono::seconds(30)));
    dialog->reject();
}

// Numbered texts come from language files the user may edit: their
// conversions are filled in order and never read arguments that do not exist.
TEST(FillFormat, FillsConversionsInOrderAndDropsTheOnesWithoutAnArgument) {
    const struct {
        const char* format;
        QStringList args;
        const char* expected;
    } cases[] = {
        {"About %s...", {"Zorv"}, "About Zorv..."},
        {"Downloading %s: %s of %s bytes", {"a", "1", "2"}, "Downloading a: 1 of 2 bytes"},
        {"%d%% done", {"45"}, "45% done"},
        {"%s %s %n %x %s", {"only"}, "only    "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FillFormat(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
}
