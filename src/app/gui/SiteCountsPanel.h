#pragma once
// The panel at the left of the main window: the task list root and the
// history root with one entry per site showing how many downloads the
// history holds for it. Recounts when told a history row was added.
//
// Threads: main thread only.

#include <QTreeWidget>

class SqliteConnection;

class SiteCountsPanel : public QTreeWidget {
    Q_OBJECT
  public:
    SiteCountsPanel(SqliteConnection* history, QWidget* parent = nullptr);
    // Re-reads every site's count (message 5030).
    void Recount();
    // Re-applies the translated root texts.
    void Retranslate();

  private:
    SqliteConnection* history_;
    QTreeWidgetItem* tasksRoot_;
    QTreeWidgetItem* historyRoot_;
};
