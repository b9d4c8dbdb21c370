#pragma once
// The rows of the download task list: row i holds task i together with what
// the row shows (cell texts, per-cell text colours, the check box, the
// status cell's progress bar and the title's tool tip). The view draws from
// the roles below; the window logic only changes the model.
//
// Threads: the window's thread only.

#include "history/DownloadTask.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class TaskListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        CheckColumn = 0,
        TitleColumn,
        DurationColumn,
        FormatColumn,
        SizeColumn,
        FpsColumn,
        StatusColumn
    };
    static constexpr int kColumnCount = 7;
    // The most rows a notification can address (rows travel in 16 bits).
    static constexpr int kMaxRows = 65535;

    enum Role {
        ProgressRole = Qt::UserRole + 1, // int: per-mille shown by the status cell's bar
        ProgressOnRole,                  // bool: the status cell shows its bar
    };

    // Dark red: pending rows and error texts.
    static QColor AlertColour() { return QColor(192, 0, 0); }

    explicit TaskListModel(QObject* parent = nullptr);
    ~TaskListModel() override;

    // ---- the task collection ----
    int TaskCount() const { return static_cast<int>(rows_.size()); }
    DownloadTask* Task(int row) const;
    // The row of a task; -1 when it is not in the list.
    int RowOf(const DownloadTask* task) const;
    // Appends a task with its row (cells empty, unchecked, normal colours);
    // returns the row, or -1 when the list is full.
    int AppendTask(std::unique_ptr<DownloadTask> task);
    // Removes rows with their tasks; every other row keeps its own task.
    void RemoveTaskRows(QList<int> rows);
    void RemoveAllTasks();

    // ---- what a row shows ----
    bool IsChecked(int row) const;
    // Sets the check box without reporting it as the user's toggle.
    void SetChecked(int row, bool checked);
    QString CellText(int row, int column) const;
    // Sets a cell's text. A row in alert colours keeps them; a row filled
    // from its file shows the text in the normal colours.
    void SetCellText(int row, int column, const QString& text);
    // Sets a cell's text with its own colour (nullopt: the normal colours).
    void SetCellText(int row, int column, const QString& text, std::optional<QColor> colour);
    std::optional<QColor> CellColour(int row, int column) const;
    // Every cell of the row in the alert colour (a new pending row).
    void SetRowAlert(int row);
    // The row now shows a file: the title in normal colours, and every text
    // set from now on too.
    void SetRowFilled(int row);
    void SetToolTip(int row, const QString& tip);
    void SetProgress(int row, int perMille);
    void SetProgressOn(int row, bool on);
    bool IsProgressOn(int row) const;
    int Progress(int row) const;

    // ---- QAbstractTableModel ----
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  Q_SIGNALS:
    // The user toggled a row's check box.
    void checkToggled(int row, bool checked);

  private:
    struct Row {
        std::unique_ptr<DownloadTask> task;
        bool checked = false;
        bool filled = false;
        bool progressOn = false;
        int progress = 0;
        QString toolTip;
        std::array<QString, kColumnCount> text;
        std::array<std::optional<QColor>, kColumnCount> colour;
    };
    bool Valid(int row) const { return row >= 0 && row < TaskCount(); }
    void CellChanged(int row, int column, QList<int> roles = {});

    std::vector<Row> rows_;
};
