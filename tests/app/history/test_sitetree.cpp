// The site panel and the history list of the main window on the offscreen
// platform: counts after a real download and after deleting it, switching
// lists from the tree, the panel's buttons and the history commands.
#include "app/MainWindowFixture.h"
#include "app/MainWindowWidgets.h"
#include "app/history/HistoryList.h"
#include "app/history/HistoryListView.h"
#include "app/history/SiteTreePanel.h"
#include "base/Localization.h"
#include "history/SqliteStatementText.h"
#include "ui/ImageButtonStrip.h"

#include <QClipboard>
#include <QDir>
#include <QMenu>
#include <QToolButton>
#include <QTreeWidget>

namespace {
constexpr int kSiteNodes[] = {SiteTreePanel::kYouTube, SiteTreePanel::kGoogle, SiteTreePanel::kMetacafe,
                              SiteTreePanel::kNicoVideo};

// What a site node shows: its text and whether it is bold.
QString Shown(const QTreeWidgetItem* node) {
    return node->text(0) + (node->font(0).bold() ? QStringLiteral(" [bold]") : QString());
}
} // namespace

class SiteTreeTest : public MainWindowFixture {
  protected:
    // A downloaded file of `site` as the worker's finished download records it.
    void Record(int site, const QString& location, const QString& page) {
        DownloadTask task;
        task.location = location;
        task.pageUrl = page;
        task.site = site;
        task.state = DownloadTask::LocalFile;
        task.lengthMs = task.markOutMs = 61000;
        task.videoFormat = QStringLiteral("flv1");
        task.width = 320;
        task.height = 240;
        ASSERT_EQ(InsertHistory(history_.get(), task), 1);
    }
    QStringList NodeTexts() const {
        QStringList out;
        for (int data : kSiteNodes)
            out << Shown(window_->SiteTree()->Node(data));
        return out;
    }
    void Select(int itemData) {
        window_->SiteTree()->Tree()->setCurrentItem(window_->SiteTree()->Node(itemData));
    }
    void SelectHistoryRows(const QList<int>& rows) {
        HistoryListView* view = window_->History()->ListView();
        view->clearSelection();
        for (int row : rows)
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
};

TEST_F(SiteTreeTest, ADownloadCountsInBoldUntilItsEntryIsDeletedFromTheHistoryList) {
    CTrevaloDlg& window = Open();
    const QStringList plain{"YouTube", "Google Video", "MetaCafe", LoadText(32892)};
    EXPECT_EQ(NodeTexts(), plain);

    QApplication::clipboard()->setText(Address(QStringLiteral("zvNormal001")));
    ASSERT_TRUE(window.ExecuteCommand(57637));
    ASSERT_TRUE(window.ExecuteCommand(32855));
    ASSERT_TRUE(WaitForGui([&] { return NodeTexts().first() == QLatin1String("YouTube (1) [bold]"); },
                           std::chrono::seconds(60)))
        << NodeTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(NodeTexts().mid(1), plain.mid(1));

    Select(SiteTreePanel::kYouTube);
    HistoryListModel* rows = window.History()->Model();
    ASSERT_EQ(rows->rowCount(), 1);
    const DownloadTask* entry = rows->Task(0);
    EXPECT_EQ(entry->location, window.TaskList()->Model()->Task(0)->location);
    QList<DownloadTask*> announced;
    QObject::connect(window.History(), &HistoryList::taskAboutToBeRemoved,
                     [&](DownloadTask* task) { announced << task; });
    SelectHistoryRows({0});
    ASSERT_TRUE(window.ExecuteCommand(32776));
    EXPECT_EQ(announced, QList<DownloadTask*>{const_cast<DownloadTask*>(entry)});
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_EQ(CountHistory(history_.get()), 0);
    EXPECT_EQ(NodeTexts(), plain);
    EXPECT_TRUE(QFileInfo::exists(window.TaskList()->Model()->Task(0)->location)) << "the file stays";
}

TEST_F(SiteTreeTest, TreeNodesBringTheirListToTheFront) {
    const QString downloads = Path("downloads/YouTube/");
    Record(0, downloads + "a.flv", "http://www.youtube.com/watch?v=a");
    Record(0, downloads + "b & c.mp4", "http://www.youtube.com/watch?v=b");
    Record(3, Path("downloads/NicoVideo/sm1.flv"), "http://www.nicovideo.jp/watch/sm1");
    CTrevaloDlg& window = Open();
    const struct {
        int node; // -2: the task list's root
        bool history;
        QStringList files;
    } cases[] = {
        {SiteTreePanel::kYouTube, true, {"a", "b && c"}},
        {SiteTreePanel::kRootData, true, {}},
        {-2, false, {}},
        {SiteTreePanel::kNicoVideo, true, {"sm1"}},
        {SiteTreePanel::kGoogle, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node);
        if (c.node == -2)
            window.SiteTree()->SelectFirstRoot();
        else
            Select(c.node);
        EXPECT_EQ(window.IsTaskListInFront(), !c.history);
        EXPECT_EQ(window.History()->View()->isVisibleTo(&window), c.history);
        EXPECT_EQ(window.TaskList()->View()->isVisibleTo(&window), !c.history);
        if (!c.history)
            continue;
        QStringList files;
        for (int row = 0; row < window.History()->Model()->rowCount(); ++row)
            files << window.History()->Model()->index(row, 0).data().toString();
        EXPECT_EQ(files, c.files);
    }
    // Leaving a site's list destroys its rows; each is announced first.
    Select(SiteTreePanel::kYouTube);
    int announced = 0;
    QObject::connect(window.History(), &HistoryList::taskAboutToBeRemoved, [&] { ++announced; });
    window.SiteTree()->SelectFirstRoot();
    EXPECT_EQ(announced, 0) << "kept until another history node is chosen";
    Select(SiteTreePanel::kRootData);
    EXPECT_EQ(announced, 2);

    // A new address brings the task list back.
    Select(SiteTreePanel::kYouTube);
    window.TaskList()->AddUrlTask(Address(QStringLiteral("zvNormal001")));
    EXPECT_TRUE(window.IsTaskListInFront());
    EXPECT_EQ(window.SiteTree()->Tree()->currentItem(), window.SiteTree()->TaskRoot());
}

TEST_F(SiteTreeTest, PanelButtonsCollapseItAndOpenTheOutputFolder) {
    Record(0, Path("x.flv"), "http://www.youtube.com/watch?v=x"); // the panel starts shown
    CTrevaloDlg& window = Open();
    ASSERT_TRUE(window.IsSiteTreeVisible());

    window.SiteTree()->HeaderStrip()->Button(SiteTreePanel::kToggleButton)->click();
    EXPECT_FALSE(window.IsSiteTreeVisible());
    window.Widgets().siteTreeHandle->click();
    EXPECT_TRUE(window.IsSiteTreeVisible());

    window.SiteTree()->FooterStrip()->Button(SiteTreePanel::kOutputFolderButton)->click();
    EXPECT_EQ(shell_.opened, QList<QUrl>{QUrl::fromLocalFile(Path("downloads"))});
    EXPECT_EQ(window.SiteTree()->FooterStrip()->Button(SiteTreePanel::kOptionsButton)->toolTip(),
              LoadText(32812));
}

TEST_F(SiteTreeTest, HistoryCommandsActOnlyOnAnEntryTheyCanUse) {
    const QString file = WriteFile(QStringLiteral("downloads/YouTube/kept.flv"), "FLV");
    const QString page = QStringLiteral("http://www.youtube.com/watch?v=kept");
    Record(0, file, page);
    Record(0, Path("downloads/YouTube/gone.flv"), QStringLiteral("http://www.youtube.com/watch?v=gone"));
    Record(0, file, QStringLiteral("javascript:alert(1)"));
    Record(0, file, QString());
    CTrevaloDlg& window = Open();
    Select(SiteTreePanel::kYouTube);
    ASSERT_EQ(window.History()->Model()->rowCount(), 4);

    const struct {
        QList<int> rows;
        bool folder, page, remove;
    } cases[] = {
        {{0}, true, true, true},  {{1}, false, true, true},     {{2}, true, false, true},
        {{3}, true, false, true}, {{0, 1}, false, false, true}, {{}, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.rows));
        SelectHistoryRows(c.rows);
        EXPECT_EQ(window.IsCommandEnabled(32774), c.folder);
        EXPECT_EQ(window.IsCommandEnabled(32857), c.page);
        EXPECT_EQ(window.IsCommandEnabled(32776), c.remove);
    }
    QList<DownloadTask*> previewed;
    QObject::connect(window.History(), &HistoryList::showTaskInPreviewRequested,
                     [&](DownloadTask* task) { previewed << task; });
    window.History()->ListView()->selectRow(0);
    EXPECT_EQ(previewed, QList<DownloadTask*>{window.History()->Model()->Task(0)});
    ASSERT_TRUE(window.ExecuteCommand(32774));
    ASSERT_TRUE(window.ExecuteCommand(32857));
    EXPECT_EQ(shell_.shownFiles, QStringList{file});
    EXPECT_EQ(shell_.opened, QList<QUrl>{QUrl(page)});

    // Right-click: the history popup of the context menus.
    Q_EMIT window.History()->ListView()->customContextMenuRequested(QPoint(10, 10));
    QMenu* popup = nullptr;
    ASSERT_TRUE(
        WaitForGui([&] { return (popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
    QList<int> ids;
    for (QAction* action : popup->actions())
        if (!action->isSeparator())
            ids << action->data().toInt();
    popup->close();
    EXPECT_EQ(ids, (QList<int>{32774, 32857, 33320, 33321, 33322, 33323, 32776}));

    // Two entries of one file are one database row each: both go.
    SelectHistoryRows({2});
    ASSERT_TRUE(window.ExecuteCommand(32776));
    EXPECT_EQ(CountHistory(history_.get()), 1);
    EXPECT_EQ(Shown(window.SiteTree()->Node(SiteTreePanel::kYouTube)), QStringLiteral("YouTube (1) [bold]"));
    EXPECT_EQ(window.History()->Model()->rowCount(), 3) << "the list keeps what it shows until reloaded";
}

TEST_F(SiteTreeTest, RetranslateRelabelsTheRootsTheColumnsAndTheSiteNodes) {
    Record(3, Path("downloads/NicoVideo/sm9.flv"), "http://www.nicovideo.jp/watch/sm9");
    CTrevaloDlg& window = Open();
    const struct {
        const char* code;
        QStringList texts; // task root, history root, NicoVideo node, first and last header
    } cases[] = {
        {"de", {"Download-Aufträge", "Verlauf", "NicoVideo (1)", "Datei", "Heruntergeladen am"}},
        {"ja", {"ダウンロードタスク", "履歴", "ニコニコ動画 (1)", "ファイル", "ダウンロード日時"}},
        {"en", {"Download tasks", "History", "NicoVideo (1)", "File", "Downloaded on"}},
    };
    for (const auto& c : cases) {
        SelectLanguage(QString::fromLatin1(c.code));
        window.SiteTree()->Retranslate();
        SiteTreePanel* tree = window.SiteTree();
        const QAbstractItemModel* rows = window.History()->Model();
        EXPECT_EQ((QStringList{tree->TaskRoot()->text(0), tree->Node(SiteTreePanel::kRootData)->text(0),
                               tree->Node(SiteTreePanel::kNicoVideo)->text(0),
                               rows->headerData(0, Qt::Horizontal).toString(),
                               rows->headerData(4, Qt::Horizontal).toString()}),
                  c.texts)
            << c.code;
    }
}

// The sites read through yt-dlp share one node after the four: its count is
// every row of another label, its list names each row's site after the file,
// and a site of the four lists without that column again.
TEST_F(SiteTreeTest, OtherSitesShareOneNodeWhoseListNamesEachRowsSite) {
    Record(0, Path("downloads/YouTube/a.flv"), "http://www.youtube.com/watch?v=a");
    for (const char* label : {"VIMEO", "GENERIC"}) {
        SqliteStatementText sql;
        sql.Format(
            "INSERT INTO history (profile_name, src_file_name, dest_file_name, duration, vcodec, vsize, "
            "convert_date) VALUES (%Q, 'https://example.org/1', '/v/%q clip.mp4', 5000, 'h264', "
            "'1280x720', 'March 05, 2012 14:07:09');",
            label, label);
        history_->Execute(sql);
    }
    CTrevaloDlg& window = Open();
    QTreeWidgetItem* other = window.SiteTree()->Node(SiteTreePanel::kOtherSites);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->parent(), window.SiteTree()->Node(SiteTreePanel::kRootData));
    EXPECT_EQ(Shown(other), "Other sites (2) [bold]");

    Select(SiteTreePanel::kOtherSites);
    const QAbstractItemModel* rows = window.History()->Model();
    const auto cells = [rows](int column) {
        QStringList out;
        for (int row = 0; row < rows->rowCount(); ++row)
            out << rows->index(row, column).data().toString();
        return out;
    };
    ASSERT_EQ(rows->columnCount(), 6);
    EXPECT_EQ(rows->headerData(1, Qt::Horizontal).toString(), "Site");
    EXPECT_EQ(rows->headerData(5, Qt::Horizontal).toString(), "Downloaded on");
    EXPECT_EQ(cells(0), (QStringList{"VIMEO clip", "GENERIC clip"}));
    EXPECT_EQ(cells(1), (QStringList{"Vimeo", "Generic"}));
    EXPECT_EQ(cells(3), (QStringList{"H264", "H264"}));
    EXPECT_GT(window.History()->ListView()->columnWidth(1), 0);

    Select(SiteTreePanel::kYouTube);
    EXPECT_EQ(rows->columnCount(), 5);
    EXPECT_EQ(cells(0), QStringList{"a"});
    EXPECT_EQ(rows->headerData(1, Qt::Horizontal).toString(), "Duration");

    SelectLanguage("de");
    window.SiteTree()->Retranslate();
    EXPECT_EQ(other->text(0), "Andere Websites (2)");
    SelectLanguage("en");
}
