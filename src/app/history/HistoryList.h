#pragma once
// The history list of the main window: the rows of one site that the site
// tree panel loads with QueryHistory, their selection, and the removal of
// rows. Every task it destroys is announced first (taskAboutToBeRemoved),
// so a preview showing it can let go.
//
// Threads: the window's thread only.

#include "app/history/HistoryListModel.h"

#include <QList>
#include <QObject>

#include <functional>

class HistoryListView;
class QWidget;

class HistoryList : public QObject {
    Q_OBJECT
  public:
    explicit HistoryList(QWidget* viewParent);
    ~HistoryList() override;

    QWidget* View() const;
    HistoryListView* ListView() const { return view_; }
    HistoryListModel* Model() const { return model_; }
    // Where QueryHistory hands its rows.
    HistoryRowReceiver& Receiver() { return *model_; }

    // Destroys every row's task and empties the list.
    void Clear();
    // Header texts in the current language.
    void RetitleColumns() { model_->RetitleColumns(); }
    QList<int> SelectedRows() const;
    // The task of the one selected row; null unless exactly one is selected.
    DownloadTask* SingleSelectedTask() const;
    // Takes the selected rows out one at a time, from the first; `each`
    // runs for every task after it has been announced and before it is
    // destroyed.
    void RemoveSelected(const std::function<void(DownloadTask&)>& each);

  Q_SIGNALS:
    void taskAboutToBeRemoved(DownloadTask* task);
    // The selection's one task, or null when the selection went away.
    void showTaskInPreviewRequested(DownloadTask* task);
    void playTaskRequested(DownloadTask* task); // a double click
    void contextMenuRequested(const QPoint& globalPos);

  private:
    // The preview follows the current row once it is selected too (a click
    // makes a row current before it selects it), and lets go when the
    // selection is gone.
    void UpdatePreview();

    HistoryListModel* model_;
    const DownloadTask* previewed_ = nullptr;
    HistoryListView* view_; // null once the window deleted it
};
