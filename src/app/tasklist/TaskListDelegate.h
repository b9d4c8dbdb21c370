#pragma once
// Draws the task list's cells from the model's roles: a centred check box in
// column 0, the status cell's progress bar while it is on, and texts in the
// cell's own colour. A click on the check box toggles it through the model.
//
// Threads: the window's thread only.

#include <QStyledItemDelegate>

class TaskListDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit TaskListDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where the check box of a column-0 cell lies.
    static QRect CheckRect(const QStyleOptionViewItem& option);

  private:
    void PaintCheck(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void PaintProgress(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void PaintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const;
};
