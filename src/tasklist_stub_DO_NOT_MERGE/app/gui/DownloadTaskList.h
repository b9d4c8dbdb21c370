#pragma once
// Stand-in for the task list (see ../../README.md). Same interface as the
// real one; rows are plain items, starting only flips the downloading flag.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class AppSettings;
class DownloadWorker;
class PowerControl;
class SqliteConnection;
class QStandardItemModel;
class QTableView;
class QWidget;
class TaskListModel;
class UserPrompts;

class DownloadTaskList : public QObject {
    Q_OBJECT
  public:
    DownloadTaskList(AppSettings& settings, UserPrompts& prompts, PowerControl& power, QWidget* viewParent);
    ~DownloadTaskList() override;
    QWidget* View() const;
    TaskListModel* Model() const { return nullptr; }
    void SetHistoryDb(SqliteConnection*) {}
    void CreateWorker() { workerCreated_ = true; }
    DownloadWorker* Worker() const { return nullptr; }
    void AddUrlTask(const QString& address);
    void AddUrls(const QStringList& lines);
    bool AddLocalFile(const QString&) { return false; }
    int FillRowFromFile(const QString&, int, int, const QString&) { return 0; }
    QString SetOutputFolder(const QString& folder) { return outputFolder_ = folder; }
    bool RemoveRows(QList<int> rows);
    void ApplyWorkerSettings() {}
    bool CanStartAll() const;
    void StartAll();
    bool CanStartSelected() const { return false; }
    void StartSelected() {}
    bool CanStop() const { return workerCreated_ && downloading_; }
    void Stop();
    void StopAskingFirst();
    bool CanStripStart() const;
    bool IsDownloading() const { return downloading_; }
    void OpenAddUrlDialog(QWidget*) {}
    bool CanPaste() const;
    void PasteFromClipboard();

  Q_SIGNALS:
    void statusTextChanged(const QString& text);
    void toolbarChanged();
    void historyInserted();
    void showSiteTreeRequested();
    void showTaskInPreviewRequested();
    void bringTaskListToFront();
    void quitRequested();

  private:
    bool HasPending(bool checkedOnly) const;

    UserPrompts& prompts_;
    QTableView* view_;
    QStandardItemModel* model_;
    QString outputFolder_;
    bool workerCreated_ = false;
    bool downloading_ = false;
};
