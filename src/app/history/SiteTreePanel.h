#pragma once
// The panel at the left of the main window: a tree with the task list's
// root and the history's root, one node per site under the latter showing
// how many downloads the history holds for it (in bold when there are any),
// a header button that asks to collapse the panel and a footer with the
// output-folder and options buttons. It owns the history list's columns and
// its deletions, and recounts after every history change.
//
// What it asks of the window goes out as signals: toggleRequested (5024),
// taskListRequested (5027), historyRequested with the node's data (5028)
// and commandRequested (CommandId::OpenOutputFolder, CommandId::Options).
//
// Threads: main thread only.

#include <QWidget>

class DownloadTask;
class HistoryList;
class HistoryRowReceiver;
class ImageButtonStrip;
class QTreeWidget;
class QTreeWidgetItem;
class ResourceBundle;
class SqliteConnection;

class SiteTreePanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int IDD = 173;
    static constexpr int kTreeId = 1012, kHeaderStripId = 1014, kFooterStripId = 1015;
    // Item data of the nodes: the roots, then the four sites.
    static constexpr int kRootData = -1;
    static constexpr int kYouTube = 1000, kGoogle = 1001, kMetacafe = 1002, kNicoVideo = 1003;
    static constexpr int kOtherSites = 1004; // every site read through yt-dlp
    // Button numbers of the two strips.
    static constexpr int kToggleButton = 0, kOutputFolderButton = 1, kOptionsButton = 2;

    SiteTreePanel(ResourceBundle& bundle, SqliteConnection* history, QWidget* parent = nullptr);

    // Keeps the window's history list and gives it its columns.
    void ConnectHistoryList(HistoryList* list);
    // Makes the task list's root current (the window then shows the list).
    void SelectFirstRoot();
    // Re-reads every site's count (message 5030).
    void Recount();
    // Root texts and column headers in the current language, then a recount
    // (message 5031).
    void Retranslate();
    // Destroys every row of the history list.
    void ClearHistoryList();
    // Removes the task's file from the history, then recounts.
    void DeleteHistoryEntry(const DownloadTask& task);
    // The history label of a site node's data ("YOUTUBE"...); empty otherwise.
    static QString SiteLabel(int itemData);
    // Hands the rows of a node to `pane` (none for a root); the other sites'
    // list also shows each row's site. The result is QueryHistory's.
    int QueryRows(int itemData, HistoryRowReceiver& pane);

    // The panel's width that shows every node's name and count whole.
    int WantedWidth() const;

    QTreeWidget* Tree() const { return tree_; }
    QTreeWidgetItem* Node(int itemData) const; // a root (-1: the history's) or a site
    QTreeWidgetItem* TaskRoot() const { return tasksRoot_; }
    ImageButtonStrip* HeaderStrip() const { return header_; }
    ImageButtonStrip* FooterStrip() const { return footer_; }

  Q_SIGNALS:
    void toggleRequested();
    void taskListRequested();
    void historyRequested(int itemData);
    void commandRequested(int id);
    // A node's text changed (a count, the language): WantedWidth() may differ.
    void widthWanted(int width);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override; // styled now: widthWanted once more

  private:
    void OnButton(int number);
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void LoadImages();

    ResourceBundle& bundle_;
    SqliteConnection* history_;
    HistoryList* historyList_ = nullptr;
    QTreeWidget* tree_;
    QTreeWidgetItem* tasksRoot_;
    QTreeWidgetItem* historyRoot_;
    ImageButtonStrip* header_;
    ImageButtonStrip* footer_;
};
