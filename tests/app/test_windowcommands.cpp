// The task list's commands as the main window runs them: removal with the
// announcement a preview relies on, checking, the containing folder, and
// the output-folder picker's status line.
#include "app/MainWindowFixture.h"
#include "app/MainWindowMenus.h"
#include "app/MainWindowWidgets.h"
#include "app/history/SiteTreePanel.h"
#include "app/tasklist/TaskListView.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "ui/TitleButtonStrip.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace {
void CollectCommands(const std::vector<MenuEntry>& entries, QList<int>& ids) {
    for (const MenuEntry& entry : entries) {
        if (entry.kind == MenuEntry::Command)
            ids << entry.id;
        CollectCommands(entry.submenu, ids);
    }
}
} // namespace

class WindowCommandsTest : public MainWindowFixture {
  protected:
    void AddRows(int count) {
        for (int i = 0; i < count; ++i)
            window_->TaskList()->AddUrlTask(Address(QStringLiteral("zvRow%1").arg(i)));
    }
    void SelectRows(const QList<int>& rows) {
        TaskListView* view = window_->TaskList()->ListView();
        view->clearSelection();
        for (int row : rows)
            view->selectionModel()->select(Rows()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    TaskListModel& Model() { return *window_->TaskList()->Model(); }
};

TEST_F(WindowCommandsTest, RemovingAnnouncesEachTaskAndLeavesEveryOtherRowWithItsOwn) {
    CTrevaloDlg& window = Open();
    AddRows(6);
    QList<DownloadTask*> announced;
    QObject::connect(window.TaskList(), &DownloadTaskList::taskAboutToBeRemoved,
                     [&](DownloadTask* task) { announced << task; });
    SelectRows({2, 4});
    const QList<DownloadTask*> selected{Model().Task(2), Model().Task(4)};

    bool playing = true;
    window.previewPlaying = [&] { return playing; };
    EXPECT_FALSE(window.IsCommandEnabled(32828));
    EXPECT_FALSE(window.IsCommandEnabled(32829));
    playing = false;
    // Del while the history list is in front leaves the hidden rows alone.
    window.SiteTree()->Tree()->setCurrentItem(window.SiteTree()->Node(SiteTreePanel::kYouTube));
    EXPECT_FALSE(window.IsCommandEnabled(32828));
    window.SiteTree()->SelectFirstRoot();
    ASSERT_TRUE(window.ExecuteCommand(32828));
    EXPECT_EQ(announced, selected);
    QStringList locations;
    for (int row = 0; row < Model().TaskCount(); ++row) {
        locations << Model().Task(row)->location;
        EXPECT_EQ(Model().CellText(row, 1), Model().Task(row)->location);
    }
    EXPECT_EQ(locations,
              (QStringList{Address("zvRow0"), Address("zvRow1"), Address("zvRow3"), Address("zvRow5")}));
    EXPECT_FALSE(window.IsCommandEnabled(32828)) << "nothing is selected now";

    announced.clear();
    ASSERT_TRUE(window.ExecuteCommand(32829));
    EXPECT_EQ(announced.size(), 4);
    EXPECT_EQ(Model().TaskCount(), 0);
    EXPECT_FALSE(window.IsCommandEnabled(32829));
}

TEST_F(WindowCommandsTest, SelectionCommandsFollowTheSelection) {
    CTrevaloDlg& window = Open();
    AddRows(3);
    for (int id : {32831, 32832, 32796})
        EXPECT_FALSE(window.IsCommandEnabled(id)) << id;
    ASSERT_TRUE(window.ExecuteCommand(57642));
    EXPECT_EQ(window.TaskList()->SelectedRows(), (QList<int>{0, 1, 2}));
    EXPECT_FALSE(window.IsCommandEnabled(57642));
    ASSERT_TRUE(window.ExecuteCommand(32832));
    EXPECT_FALSE(Model().IsChecked(0) || Model().IsChecked(1) || Model().IsChecked(2));
    EXPECT_EQ(Model().CellText(1, 6), QString());
    EXPECT_FALSE(window.Strip()->IsButtonEnabled(StripButton::StartAll));
    SelectRows({1});
    ASSERT_TRUE(window.ExecuteCommand(32831));
    EXPECT_TRUE(Model().IsChecked(1) && !Model().IsChecked(0));
    EXPECT_TRUE(window.Strip()->IsButtonEnabled(StripButton::StartAll));
}

TEST_F(WindowCommandsTest, OpenContainingFolderShowsOnlyAReadableLocalFile) {
    CTrevaloDlg& window = Open();
    const QString file = WriteFile(QStringLiteral("downloads/YouTube/clip.flv"), "FLV");
    AddRows(4);
    const auto makeLocal = [&](int row, const QString& path) {
        Model().Task(row)->state = DownloadTask::LocalFile;
        Model().Task(row)->location = path;
    };
    makeLocal(1, file);
    makeLocal(2, Path("downloads/YouTube/deleted.flv"));
    makeLocal(3, Path("downloads/YouTube")); // a folder
    const struct {
        QList<int> rows;
        bool enabled;
    } cases[] = {{{0}, false}, {{1}, true}, {{2}, false}, {{3}, false}, {{0, 1}, false}};
    for (const auto& c : cases) {
        SelectRows(c.rows);
        EXPECT_EQ(window.IsCommandEnabled(32796), c.enabled) << testing::PrintToString(c.rows);
    }
    SelectRows({1});
    ASSERT_TRUE(window.ExecuteCommand(32796));
    EXPECT_EQ(shell_.shownFiles, QStringList{file});
}

TEST_F(WindowCommandsTest, ChoosingTheOutputFolderReportsOnlyAChange) {
    CTrevaloDlg& window = Open();
    const QString current = window.Widgets().outputFolder->text();
    const struct {
        QString chosen;
        QString status;
    } cases[] = {
        {current, QStringLiteral("unchanged")},
        {current + QStringLiteral("/"), QStringLiteral("unchanged")}, // the same once cleaned
        {Path("elsewhere"), FillFormat(LoadText(32814), {Path("elsewhere")})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        window.SetStatusText(QStringLiteral("unchanged"));
        prompts_.pickedFolder = c.chosen;
        ASSERT_TRUE(window.ExecuteCommand(32780));
        EXPECT_EQ(window.StatusText(), c.status);
        EXPECT_EQ(prompts_.pickerTitles.last(), LoadText(32813));
    }
    EXPECT_EQ(window.TaskList()->OutputFolder(), Path("elsewhere"));
    EXPECT_TRUE(QFileInfo(Path("elsewhere")).isDir());
}

TEST_F(WindowCommandsTest, AFolderTypedIntoTheBoxIsUsedOnReturnOrLeavingItOnceItCanBeMade) {
    CTrevaloDlg& window = Open();
    QLineEdit* box = window.Widgets().outputFolder;
    const QString blocked = WriteFile(QStringLiteral("a-file"), "x") + QStringLiteral("/sub");
    const struct {
        QString typed;
        bool leave;     // leaves the box for the task list instead of pressing Return
        QString folder; // where downloads go afterwards
        QStringList messages;
    } cases[] = {
        {Path("typed") + QStringLiteral("/"), false, Path("typed"), {}},
        {Path("left"), true, Path("left"), {}},
        {blocked, false, Path("left"), {FillFormat(LoadText(33305), {blocked, Path("left")})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        prompts_.messages.clear();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, c.typed);
        if (c.leave)
            window.TaskList()->View()->setFocus();
        else
            QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(prompts_.messages, c.messages);
        EXPECT_EQ(box->text(), c.folder);
        EXPECT_EQ(Settings().OutputFolder, c.folder);
        EXPECT_EQ(window.TaskList()->OutputFolder(), c.folder);
        EXPECT_TRUE(QFileInfo(c.folder).isDir());
        EXPECT_TRUE(window.isVisible()); // Return never closes the window
    }
    EXPECT_EQ(window.StatusText(), FillFormat(LoadText(32814), {Path("left")}));
}

TEST_F(WindowCommandsTest, EveryMenuItemAndKeyOfTheBundleRunsARegisteredCommand) {
    CTrevaloDlg& window = Open();
    QList<int> ids;
    for (int menu : {MainWindowMenus::kMainMenu, MainWindowMenus::kContextMenus}) {
        const auto entries = bundle_.Menu(menu);
        ASSERT_TRUE(entries) << menu;
        CollectCommands(*entries, ids);
    }
    const std::vector<Accelerator> keys = bundle_.Accelerators(CTrevaloDlg::kAccelerators);
    ASSERT_FALSE(keys.empty());
    for (const Accelerator& key : keys)
        ids << key.command;
    ASSERT_GT(ids.size(), 40);
    for (int id : ids)
        EXPECT_TRUE(window.HasCommand(id)) << id;
    EXPECT_FALSE(window.HasCommand(0));
}

TEST_F(WindowCommandsTest, ALongStatusLineIsShortenedInItsMiddleAndLeavesTheVersionWhole) {
    CTrevaloDlg& window = Open();
    ASSERT_EQ(window.size(), QSize(999, 600));
    const QString address = QStringLiteral("http://v12.cache.example/videoplayback?id=") + QString(300, 'a') +
                            QStringLiteral("&itag=18&signature=end");
    const QString line =
        FillFormat(LoadText(32827), {address, QStringLiteral("1,024"), QStringLiteral("17,675")});
    window.SetStatusText(line);
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(window.StatusText(), line);
    EXPECT_EQ(CutTexts(&window).join(QLatin1Char('\n')).toStdString(), "");
    const QString shown = window.findChild<QLabel*>(QStringLiteral("statusLine"))->text();
    EXPECT_TRUE(shown.startsWith(line.left(20))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QLatin1String("17,675 bytes"))) << shown.toStdString();
}
