#pragma once
// The history list's table: whole rows selected, columns sized as fixed
// shares of the width (short columns never narrower than their headings,
// refitted when the headings change language), a double click on a row
// reported by row.
//
// Threads: the window's thread only.

#include <QTableView>

class HistoryListView : public QTableView {
    Q_OBJECT
  public:
    explicit HistoryListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    // Selected rows, ascending.
    QList<int> SelectedRows() const;

  Q_SIGNALS:
    void rowDoubleClicked(int row);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void FitColumns();
};
