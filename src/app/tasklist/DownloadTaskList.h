#pragma once
// The download task list of the main window: the tasks and their rows, the
// one download session (DownloadSession: the worker, the decoding of its
// notifications, the identification and history row of finished items), the
// commands that add, start, stop and remove, and what the rows show of each
// report (progress, status, retries, titles, recorded items, the end of a
// batch).
//
// The window places View() in its layout, routes its commands here (each
// with its enabled test), shows statusTextChanged in its status line and
// recomputes its start and stop buttons on toolbarChanged.
//
// Threads: everything here runs on the window's thread. The worker's thread
// and the session's finisher thread reach this object only through the
// GuiMessageTarget, as queued events, which event() hands to the session.

#include "app/tasklist/TaskListModel.h"
#include "platform/UserPrompts.h"
#include "session/DownloadSession.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class AppSettings;
class DownloadWorker;
class GuiMessageTarget;
class PowerControl;
class SqliteConnection;
class TaskListView;
class QWidget;

class DownloadTaskList : public QObject, private SessionObserver {
    Q_OBJECT
  public:
    // Shows a site's CAPTCHA (207) or sign-in (208) page and returns once the
    // user is done with it; the worker is told afterwards.
    static constexpr int kWindowHistoryWaitMs = 1000;

    using BrowserDialogHook = std::function<void(int code, const QString& address)>;

    DownloadTaskList(AppSettings& settings, UserPrompts& prompts, PowerControl& power, QWidget* viewParent);
    ~DownloadTaskList() override; // stops a running worker first
    QWidget* View() const;
    TaskListView* ListView() const;
    TaskListModel* Model() const { return model_; }
    // The history the finished downloads are recorded in (may be null).
    void SetHistoryDb(SqliteConnection* db);
    // Deferred initialisation: makes the one session (with its worker) and
    // hands it the settings.
    void CreateWorker();
    DownloadWorker* Worker() const { return session_ ? &session_->Worker() : nullptr; }
    DownloadSession* Session() const { return session_.get(); }

    // ---- task list operations ----
    // A web address (white space around it ignored) as a pending row;
    // anything else is refused with a message.
    void AddUrlTask(const QString& text);
    // The same, and the row downloads now (or with the batch that runs).
    void AddAndStart(const QString& text);
    // One candidate per line, in order; empty lines are skipped and the
    // refused lines named in one message.
    void AddUrls(const QStringList& lines);
    // The links of an import, in order: each one the list takes and does not
    // hold pending already becomes a pending row (the pending addresses are
    // looked up in a set, not row by row). When the list is full the import
    // stops there with one message. Returns the rows added.
    int AddImportedLinks(const QStringList& links);
    bool AddLocalFile(const QString& path);
    // Local files as dropped: each one identified off this thread and added
    // in the order given.
    void AddFiles(const QStringList& paths);
    // Identifies the file on this thread (dropped local files) and fills the
    // row (`row` < 0: a new one).
    int FillRowFromFile(const QString& path, int row, int site, const QString& pageUrl);
    // Cleans the folder, hands it to the session and creates it; returns the
    // cleaned folder for the output-folder box.
    QString SetOutputFolder(const QString& folder);
    QString OutputFolder() const { return outputFolder_; }
    // OutputFolder, UseTitleAsFileName, RetryTimes and UseInternalCache from
    // the settings, handed to the session (the folder is created).
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
    // A batch runs or a media action has not ended: rows keep their places.
    bool IsBusy() const;
    bool AppendsNewTasks() const { return appendNewTasks_; }
    void OpenAddUrlDialog(QWidget* parent);
    bool CanPaste() const; // pasting the clipboard would add a row
    void PasteFromClipboard();
    // When exactly one row is selected, asks for its task in the preview.
    void ShowTaskInPreview();
    // The preview moved the marks: the first selected row's duration cell
    // shows the new range.
    void RewriteSelectedDuration();
    QString StatusText() const { return statusText_; }

    // ---- media actions ----
    // A range cut out of `source`'s file or a conversion of it, as a row of
    // its own that shows its progress and ends as the new file (identified
    // and in the history under the original's page and site).
    bool StartMediaAction(const DownloadTask& source, const MediaAction& action);

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
    // A batch ran to its end (not stopped): its rows' files saved as videos,
    // and the rows that ended without one.
    void batchFinished(int saved, int failed);

  protected:
    bool event(QEvent* event) override;

  private:
    // SessionObserver
    void OnItemStatus(int row, int code, const QString& shown, const QString& error) override;
    void OnItemProgress(int row, int perMille, quint64 received, quint64 total,
                        const QString& mediaAddress) override;
    void OnItemRetry(int row, int retry) override;
    void OnItemTitle(int row, const QString& title) override;
    void OnItemEntries(int row, const std::vector<PageEntry>& entries) override;
    void OnItemRecorded(const RecordedItem& item) override;
    void OnFileIdentified(const QString& path, bool identified, const MediaInfo& info) override;
    void OnDialogNeeded(int row, BrowserDialog kind, const QString& address) override;
    void OnBatchEnded(bool stopped) override;
    void OnActionProgress(quint64 id, int row, int perMille) override;
    void OnActionEnded(const ActionRecord& record) override;
    // What a successful identification fills in the row; `site` < 0 for a
    // local file (its title from the name), else the download's history
    // signal.
    int FillRowFromInfo(const QString& path, int row, std::unique_ptr<DownloadTask> fresh, DownloadTask* task,
                        const MediaInfo& info, int site, const QString& pageUrl);
    // Appends a checked pending row (none when the same one waits already),
    // queued at once when `enqueue`; its row, or -1.
    int AddPendingTask(const QString& address, int playlistItem, const QString& title, bool enqueue);
    bool HasPendingTask(const QString& address, int playlistItem) const;
    void DeferMessage(const QString& text, UserPrompts::Icon icon);
    void StartRefused();
    QSet<int> unrecordedRows_; // their file is kept but the history did not take it
    // The same without looking for a waiting one.
    int AppendPendingTask(const QString& address, int playlistItem, const QString& title, bool enqueue);
    void OnCheckToggled(int row, bool checked);
    void OnRowDoubleClicked(int row);

    void SetStatusText(const QString& text);
    void RefreshToolbar() { Q_EMIT toolbarChanged(); }
    void FillRowCells(int row, const DownloadTask& task);
    // Keeps the cleaned folder and creates it.
    void CreateOutputFolder(const QString& folder);
    void PowerOff();
    void ShowBrowserDialog(int code, const QString& address);

    AppSettings& settings_;
    UserPrompts& prompts_;
    PowerControl& power_;
    TaskListModel* model_;
    TaskListView* view_; // null once the window deleted it
    SqliteConnection* history_ = nullptr;
    // Declared before the session: the session posts to it until it is gone.
    std::unique_ptr<GuiMessageTarget> target_;
    std::unique_ptr<DownloadSession> session_;
    bool downloading_ = false;
    int batchSaved_ = 0;                // rows of the running batch that ended as a video
    QSet<int> batchFailedRows_;         // ... and those that ended without one
    std::map<quint64, int> actionRows_; // the rows made for the actions the user started
    bool appendNewTasks_ = false;
    QString statusText_;
    QString outputFolder_;
    std::function<void()> beep_;
    BrowserDialogHook browserDialog_;
};
