#pragma once
// The download task list of the main window: the tasks and their rows, the
// one download worker, the commands that add, start, stop and remove, and
// the handling of every worker notification (progress, status, retries,
// titles, finished items, the end of a batch).
//
// The window places View() in its layout, routes its commands here (each
// with its enabled test), shows statusTextChanged in its status line and
// recomputes its start and stop buttons on toolbarChanged.
//
// Threads: everything here runs on the window's thread. The worker's thread
// reaches this object only through the GuiMessageTarget, as queued events.

#include "app/tasklist/TaskListModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class AppSettings;
class DownloadWorker;
class GuiMessageTarget;
class PowerControl;
class SqliteConnection;
class TaskListView;
class UserPrompts;
class QWidget;

class DownloadTaskList : public QObject {
    Q_OBJECT
  public:
    // Shows a site's CAPTCHA (207) or sign-in (208) page and returns once the
    // user is done with it; the worker is told afterwards.
    using BrowserDialogHook = std::function<void(int code, const QString& address)>;

    DownloadTaskList(AppSettings& settings, UserPrompts& prompts, PowerControl& power, QWidget* viewParent);
    ~DownloadTaskList() override; // stops a running worker first
    QWidget* View() const;
    TaskListView* ListView() const;
    TaskListModel* Model() const { return model_; }
    // The history the finished downloads are recorded in (may be null).
    void SetHistoryDb(SqliteConnection* db) { history_ = db; }
    // Deferred initialisation: makes the one worker and hands it the settings.
    void CreateWorker();
    DownloadWorker* Worker() const { return worker_.get(); }

    // ---- task list operations ----
    void AddUrlTask(const QString& address);
    void AddUrls(const QStringList& lines); // one candidate each, in order
    bool AddLocalFile(const QString& path);
    int FillRowFromFile(const QString& path, int row, int site, const QString& pageUrl);
    // Cleans the folder, hands it to the worker and creates it; returns the
    // cleaned folder for the output-folder box.
    QString SetOutputFolder(const QString& folder);
    QString OutputFolder() const { return outputFolder_; }
    // OutputFolder, UseTitleAsFileName and RetryTimes from the settings.
    void ApplyWorkerSettings();
    // Removes rows with their tasks; refused (false) while downloading,
    // since the worker addresses rows by index.
    bool RemoveRows(QList<int> rows);
    bool RemoveAll(); // the same for every row
    bool RemoveRow(int row) { return RemoveRows({row}); }
    // Checks or unchecks every selected row (unchecking empties its status
    // cell), then refreshes the tool bar.
    void CheckSelected(bool checked);
    QList<int> SelectedRows() const;

    // ---- commands with their enabled tests ----
    bool CanStartAll() const;
    void StartAll();
    bool CanStartSelected() const;
    void StartSelected();
    bool CanStop() const;
    void Stop();
    void StopAskingFirst();
    bool CanStripStart() const;
    bool IsDownloading() const { return downloading_; }
    bool AppendsNewTasks() const { return appendNewTasks_; }
    void OpenAddUrlDialog(QWidget* parent);
    bool CanPaste() const; // the clipboard holds a plain HTTP address
    void PasteFromClipboard();
    // When exactly one row is selected, asks for its task in the preview.
    void ShowTaskInPreview();
    // The preview moved the marks: the first selected row's duration cell
    // shows the new range.
    void RewriteSelectedDuration();
    QString StatusText() const { return statusText_; }

    // ---- seams ----
    void SetBeepHook(std::function<void()> beep) { beep_ = std::move(beep); }
    void SetBrowserDialogHook(BrowserDialogHook hook) { browserDialog_ = std::move(hook); }

  Q_SIGNALS:
    void statusTextChanged(const QString& text); // empty text clears
    void toolbarChanged();                       // RefreshToolbar
    void historyInserted();                      // the site tree recounts
    void showSiteTreeRequested();
    void showTaskInPreviewRequested(int row);
    // Before any removal destroys the task.
    void taskAboutToBeRemoved(DownloadTask* task);
    void playTaskRequested(int row); // show in the preview and start playback
    void bringTaskListToFront();
    void quitRequested(); // after power-off

  protected:
    bool event(QEvent* event) override;

  private:
    void OnDownloadProgress(int perMille, int row);
    void OnDownloadStatus(int code, int row, const std::optional<QString>& text);
    void OnDownloadRetry(int retry, int row);
    void OnDownloadTitle(int row);
    void OnDownloadItemDone(int row);
    void OnDownloadAllDone();
    void OnDownloadStopped();
    void OnCheckToggled(int row, bool checked);
    void OnRowDoubleClicked(int row);

    void SetStatusText(const QString& text);
    void RefreshToolbar() { Q_EMIT toolbarChanged(); }
    void FillRowCells(int row, const DownloadTask& task);
    void PowerOff();
    void ShowBrowserDialog(int code, const QString& address);

    AppSettings& settings_;
    UserPrompts& prompts_;
    PowerControl& power_;
    TaskListModel* model_;
    TaskListView* view_; // null once the window deleted it
    SqliteConnection* history_ = nullptr;
    // Declared before the worker: the worker posts to it until it is gone.
    std::unique_ptr<GuiMessageTarget> target_;
    std::shared_ptr<DownloadWorker> worker_;
    bool downloading_ = false;
    bool appendNewTasks_ = false;
    QString statusText_;
    QString outputFolder_;
    std::function<void()> beep_;
    BrowserDialogHook browserDialog_;
};
