// The main window's frame and commands on the offscreen platform: start-up,
// the strip's enabling rules, enabled tests from every source, placement.
#include "app/MainWindowFixture.h"
#include "app/MainWindowMenus.h"
#include "app/MainWindowWidgets.h"
#include "app/ZorvApp.h"
#include "base/Localization.h"
#include "base/StringTable.h"
#include "base/TextFill.h"
#include "base/WindowPlacement.h"
#include "ui/TipsPanel.h"
#include "ui/TitleButtonStrip.h"
#include "update/gui/CCheckUpdateDlg.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcessEnvironment>
#include <QSet>
#include <QSettings>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <functional>

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
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const WindowPlacement centred = DefaultWindowPlacement(screen.width(), screen.height());
    // A window stored on a screen that is gone comes back onto this one.
    const QPoint farCorner(std::max(available.left(), available.right() + 1 - 999),
                           std::max(available.top(), available.bottom() + 1 - 600));
    const Case cases[] = {
        {"0,1,-1,-1,-1,-1,10,10,1009,610", QRect(10, 10, 999, 600), false},
        {"0,1,-1", QRect(centred.left, centred.top, 999, 600), false},
        {"0,3,-1,-1,-1,-1,20,30,1120,730", QRect(20, 30, 1100, 700), true},
        {"0,1,-1,-1,-1,-1,-5000,-4000,-4001,-3400", QRect(available.topLeft(), QSize(999, 600)), false},
        {"0,1,-1,-1,-1,-1,9000,7000,9999,7600", QRect(farCorner, QSize(999, 600)), false},
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

TEST(PlatformChoiceTest, AWaylandSessionRunsThroughXWaylandUnlessTheUserChoseOrNoXServerIsThere) {
    const struct {
        const char* wayland;     // WAYLAND_DISPLAY
        const char* sessionType; // XDG_SESSION_TYPE
        const char* display;     // DISPLAY
        const char* platform;    // QT_QPA_PLATFORM
        const char* chosen;
        bool noted;
    } cases[] = {
        {"wayland-0", "wayland", ":0", nullptr, "xcb", true},
        {nullptr, "wayland", ":1", nullptr, "xcb", true},
        {"wayland-0", nullptr, ":0", nullptr, "xcb", true},
        {"wayland-0", "wayland", ":0", "wayland", "", false}, // the user's choice stands
        {"wayland-0", "wayland", nullptr, nullptr, "", true}, // no X server: mplayer's own window
        {nullptr, "x11", ":0", nullptr, "", false},
        {nullptr, nullptr, nullptr, nullptr, "", false},
    };
    for (const auto& c : cases) {
        QProcessEnvironment env;
        const auto put = [&env](const char* name, const char* value) {
            if (value)
                env.insert(QLatin1String(name), QLatin1String(value));
        };
        put("WAYLAND_DISPLAY", c.wayland);
        put("XDG_SESSION_TYPE", c.sessionType);
        put("DISPLAY", c.display);
        put("QT_QPA_PLATFORM", c.platform);
        const PlatformChoice choice = ChooseQtPlatform(env);
        SCOPED_TRACE(QStringList(env.toStringList()).join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(choice.platform, QByteArray(c.chosen));
        EXPECT_EQ(!choice.note.isEmpty(), c.noted);
    }
}

namespace {
// Every text of a language file and of its tips page (not the language's
// own name, which every language shows as it is); for English also the
// program's own texts: its strings, its menus and its tips page.
QSet<QString> LanguageTexts(const QString& code, const ResourceBundle& bundle) {
    QSet<QString> texts;
    const auto add = [&texts](const QString& text) {
        texts.insert(text.section(QLatin1Char('\t'), 0, 0)); // a menu item's key is no text
    };
    const auto addPage = [&add](const QString& html) {
        QTextDocument page;
        page.setHtml(html);
        for (const QString& line : page.toPlainText().split(QLatin1Char('\n')))
            add(line);
    };
    const IniFile file(LanguageFilePath(code));
    for (const QString& section : file.Sections())
        if (section != QLatin1String("General"))
            for (const QString& key : file.Keys(section))
                add(ApplyEscapes(file.Value(section, key).value_or(QString()), true));
    if (const auto tips = file.Value(QStringLiteral("HTML"), QString::number(TipsPanel::kPageId))) {
        QFile page(LanguageFolder() + QLatin1Char('/') + *tips);
        EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
        addPage(QString::fromUtf8(page.readAll()));
    }
    if (code == QLatin1String("en")) {
        for (int id : BuiltinStringIds())
            add(BuiltinString(id));
        std::function<void(const std::vector<MenuEntry>&)> addMenu = [&](const std::vector<MenuEntry>& menu) {
            for (const MenuEntry& entry : menu) {
                add(entry.text);
                addMenu(entry.submenu);
            }
        };
        for (int menu : {MainWindowMenus::kMainMenu, MainWindowMenus::kContextMenus})
            addMenu(bundle.Menu(menu).value_or(std::vector<MenuEntry>()));
        addPage(bundle.Html(TipsPanel::kPageId));
    }
    texts.remove(QString());
    return texts;
}

// What the window shows: texts of its visible widgets, the column heads,
// the site panel's nodes, the tips, and every menu's items and titles.
QStringList ShownTexts(CTrevaloDlg& window) {
    QStringList texts;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* tips = qobject_cast<QTextBrowser*>(w))
            texts << tips->toPlainText().split(QLatin1Char('\n'));
        else if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model())
            for (int column = 0; column < header->count(); ++column)
                texts << header->model()->headerData(column, header->orientation()).toString();
        else if (auto* tree = qobject_cast<QTreeWidget*>(w))
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                texts << (*it)->text(0);
    }
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        texts << menu->menuAction()->text();
        for (QAction* action : menu->actions())
            texts << action->text().section(QLatin1Char('\t'), 0, 0);
    }
    texts.removeAll(QString());
    return texts;
}
} // namespace

class LanguageSwitchTest : public LanguageSwitchingFixture {};

TEST_F(LanguageSwitchTest, AfterASwitchNoTextOfAnotherLanguageIsLeft) {
    const QStringList codes = {"en", "de", "ja"};
    QHash<QString, QSet<QString>> tables;
    for (const QString& code : codes)
        tables[code] = LanguageTexts(code, bundle_);
    CTrevaloDlg& window = Open();
    for (const QString& code : {"ja", "de", "en", "ja"}) {
        SCOPED_TRACE(code.toStdString());
        const int command = LanguageCommand(code);
        ASSERT_NE(command, 0);
        ASSERT_TRUE(window.ExecuteCommand(command));
        QStringList left;
        for (const QString& text : ShownTexts(window))
            for (const QString& other : codes)
                if (other != code && tables[other].contains(text) && !tables[code].contains(text))
                    left << QStringLiteral("%1 (%2)").arg(text, other);
        EXPECT_EQ(left.join(QLatin1Char('\n')).toStdString(), "");
        EXPECT_TRUE(ShownTexts(window).contains(window.Widgets().outputFolderLabel->text()));
    }
}
