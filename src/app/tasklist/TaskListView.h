#pragma once
// The task list's table: whole rows selected, columns sized as fixed shares
// of the width, dropped text and files handed on as signals, and a double
// click on a row (not on its check box) reported by row.
//
// Threads: the window's thread only.

#include <QStringList>
#include <QTableView>

class TaskListView : public QTableView {
    Q_OBJECT
  public:
    explicit TaskListView(QWidget* parent = nullptr);

    // Selected rows, ascending.
    QList<int> SelectedRows() const;
    // The column headers again in the current language, with their widths.
    void Retranslate();

  Q_SIGNALS:
    void textDropped(const QString& text);
    void filesDropped(const QStringList& paths);
    void rowDoubleClicked(int row);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FitColumns();
};
