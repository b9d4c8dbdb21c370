#include "app/tasklist/TaskListDelegate.h"

#include "app/tasklist/TaskListModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace {
constexpr int kCheckSize = 14;
constexpr int kRowHeight = 26;
} // namespace

TaskListDelegate::TaskListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QRect TaskListDelegate::CheckRect(const QStyleOptionViewItem& option) {
    QRect r(0, 0, kCheckSize, kCheckSize);
    r.moveCenter(option.rect.center());
    return r;
}

QSize TaskListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), kRowHeight));
    return size;
}

void TaskListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (index.column() == TaskListModel::CheckColumn) {
        PaintCheck(painter, option, index);
        return;
    }
    if (index.column() == TaskListModel::StatusColumn && index.data(TaskListModel::ProgressOnRole).toBool()) {
        PaintProgress(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // Keep the cell's own text colour on a selected row too, so dark red
    // errors stay visible; the selection shows as the row's background.
    if (const QVariant fg = index.data(Qt::ForegroundRole);
        fg.isValid() && (opt.state & QStyle::State_Selected))
        opt.palette.setBrush(QPalette::HighlightedText, fg.value<QBrush>());
    if (index.column() == TaskListModel::TitleColumn) {
        // A little room before the left-aligned title; the row's background
        // still fills the whole cell.
        PaintBackground(painter, option, index);
        opt.textElideMode = Qt::ElideMiddle;
        opt.rect.adjust(4, 0, 0, 0);
    }
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

void TaskListDelegate::PaintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.features &= ~QStyleOptionViewItem::HasDisplay;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

void TaskListDelegate::PaintCheck(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    PaintBackground(painter, option, index);
    QStyleOptionViewItem check = option;
    check.rect = CheckRect(option);
    check.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_HasFocus);
    check.state |=
        index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    check.state |= QStyle::State_Enabled;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
}

void TaskListDelegate::PaintProgress(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    PaintBackground(painter, option, index);
    const int perMille = std::clamp(index.data(TaskListModel::ProgressRole).toInt(), 0, 1000);
    const QRectF bar = QRectF(option.rect).adjusted(6, 5, -6, -5);
    const qreal radius = 3;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);

    QPainterPath frame;
    frame.addRoundedRect(bar, radius, radius);
    painter->fillPath(frame, QColor(236, 239, 243));

    if (perMille > 0) {
        QRectF filled = bar;
        filled.setWidth(bar.width() * perMille / 1000.0);
        QLinearGradient shade(filled.topLeft(), filled.bottomLeft());
        shade.setColorAt(0, QColor(150, 205, 250));
        shade.setColorAt(1, QColor(104, 174, 236));
        painter->save();
        painter->setClipPath(frame);
        painter->fillRect(filled, shade);
        painter->restore();
    }
    painter->setPen(QPen(QColor(150, 164, 180), 1));
    painter->drawPath(frame);

    // A light fill keeps the dark text readable over both parts of the bar.
    QFont font = option.font;
    font.setBold(true);
    painter->setFont(font);
    painter->setPen(QColor(28, 36, 48));
    painter->drawText(bar, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

bool TaskListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (index.column() != TaskListModel::CheckColumn)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonDblClick)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !CheckRect(option).contains(mouse->position().toPoint()))
        return false;
    // A double click on the box is two toggles' worth of clicks, not a
    // request to start or play the row.
    if (event->type() == QEvent::MouseButtonDblClick)
        return true;
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}
