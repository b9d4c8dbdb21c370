#pragma once
// The rows of the history list: row i holds the task QueryHistory handed
// over for it and the texts it shows (file, duration, format, frame size,
// date; the file cell's tool tip is the page address). The list of the
// other sites shows each row's site too, in a column after the file.
//
// Threads: the window's thread only.

#include "history/DownloadTask.h"
#include "history/HistoryRowReceiver.h"
#include "history/HistoryRowText.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

class HistoryListModel : public QAbstractTableModel, public HistoryRowReceiver {
    Q_OBJECT
  public:
    enum Column { FileColumn = 0, DurationColumn, FormatColumn, SizeColumn, DateColumn, SiteColumn };
    static constexpr int kColumnCount = 5;
    // Where the site column shows when it is shown; the later ones move right.
    static constexpr int kSiteSection = 1;

    explicit HistoryListModel(QObject* parent = nullptr);
    ~HistoryListModel() override;

    int TaskCount() const { return static_cast<int>(rows_.size()); }
    DownloadTask* Task(int row) const;
    int RowOf(const DownloadTask* task) const; // -1 when not listed
    // Takes a row out of the list; the caller now owns its task.
    std::unique_ptr<DownloadTask> TakeRow(int row);
    // Empties the list, destroying every task.
    void Clear();
    // Header texts again in the current language.
    void RetitleColumns();
    // Shows or hides the site column (only while the list is empty).
    void SetSiteColumnShown(bool shown);
    bool SiteColumnShown() const { return siteShown_; }

    // ---- HistoryRowReceiver ----
    void AddHistoryRow(DownloadTask task) override;

    // ---- QAbstractTableModel ----
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    // The column a header section shows.
    Column ColumnOf(int section) const;

    struct Row {
        std::unique_ptr<DownloadTask> task;
        HistoryRowText text;
    };
    std::vector<Row> rows_;
    bool siteShown_ = false;
};
