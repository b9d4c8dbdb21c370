#include "app/tasklist/TaskListModel.h"

#include "base/Localization.h"
#include "base/TextIds.h"

#include <QBrush>

#include <algorithm>

namespace {
// Header strings of columns 1 to 6; column 0 (the check box) has none.
constexpr int kHeaderIds[TaskListModel::kColumnCount] = {0,
                                                         TextId::TitleHeader,
                                                         TextId::DurationHeader,
                                                         TextId::FormatHeader,
                                                         TextId::FrameSizeHeader,
                                                         TextId::FpsHeader,
                                                         TextId::StatusHeader};
} // namespace

TaskListModel::TaskListModel(QObject* parent) : QAbstractTableModel(parent) {}

TaskListModel::~TaskListModel() = default;

DownloadTask* TaskListModel::Task(int row) const {
    return Valid(row) ? rows_[row].task.get() : nullptr;
}

int TaskListModel::RowOf(const DownloadTask* task) const {
    for (int i = 0; i < TaskCount(); ++i)
        if (rows_[i].task.get() == task)
            return i;
    return -1;
}

int TaskListModel::AppendTask(std::unique_ptr<DownloadTask> task) {
    if (TaskCount() >= kMaxRows)
        return -1;
    const int row = TaskCount();
    beginInsertRows(QModelIndex(), row, row);
    Row r;
    r.task = std::move(task);
    rows_.push_back(std::move(r));
    endInsertRows();
    return row;
}

void TaskListModel::RemoveTaskRows(QList<int> rows) {
    // From the last row up, so the indices still to remove stay valid.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (!Valid(row))
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    }
}

void TaskListModel::RemoveAllTasks() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

bool TaskListModel::IsChecked(int row) const {
    return Valid(row) && rows_[row].checked;
}

void TaskListModel::SetChecked(int row, bool checked) {
    if (!Valid(row) || rows_[row].checked == checked)
        return;
    rows_[row].checked = checked;
    CellChanged(row, CheckColumn, {Qt::CheckStateRole});
}

QString TaskListModel::CellText(int row, int column) const {
    if (!Valid(row) || column < 0 || column >= kColumnCount)
        return QString();
    return rows_[row].text[column];
}

void TaskListModel::SetCellText(int row, int column, const QString& text) {
    if (!Valid(row) || column < 0 || column >= kColumnCount)
        return;
    Row& r = rows_[row];
    if (r.filled)
        r.colour[column].reset();
    r.text[column] = text;
    CellChanged(row, column);
}

void TaskListModel::SetCellText(int row, int column, const QString& text, std::optional<QColor> colour) {
    if (!Valid(row) || column < 0 || column >= kColumnCount)
        return;
    rows_[row].text[column] = text;
    rows_[row].colour[column] = colour;
    CellChanged(row, column);
}

std::optional<QColor> TaskListModel::CellColour(int row, int column) const {
    if (!Valid(row) || column < 0 || column >= kColumnCount)
        return std::nullopt;
    return rows_[row].colour[column];
}

void TaskListModel::SetRowAlert(int row) {
    if (!Valid(row))
        return;
    rows_[row].colour.fill(AlertColour());
    rows_[row].filled = false;
    Q_EMIT dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::ForegroundRole});
}

void TaskListModel::SetRowFilled(int row) {
    if (!Valid(row))
        return;
    rows_[row].filled = true;
    rows_[row].colour[TitleColumn].reset();
    CellChanged(row, TitleColumn, {Qt::ForegroundRole});
}

void TaskListModel::SetToolTip(int row, const QString& tip) {
    if (!Valid(row))
        return;
    rows_[row].toolTip = tip;
    CellChanged(row, TitleColumn, {Qt::ToolTipRole});
}

void TaskListModel::SetProgress(int row, int perMille) {
    if (!Valid(row))
        return;
    rows_[row].progress = std::clamp(perMille, 0, 1000);
    CellChanged(row, StatusColumn, {ProgressRole});
}

void TaskListModel::SetProgressOn(int row, bool on) {
    if (!Valid(row) || rows_[row].progressOn == on)
        return;
    rows_[row].progressOn = on;
    CellChanged(row, StatusColumn, {ProgressOnRole});
}

bool TaskListModel::IsProgressOn(int row) const {
    return Valid(row) && rows_[row].progressOn;
}

int TaskListModel::Progress(int row) const {
    return Valid(row) ? rows_[row].progress : 0;
}

void TaskListModel::CellChanged(int row, int column, QList<int> roles) {
    const QModelIndex at = index(row, column);
    Q_EMIT dataChanged(at, at, roles);
}

int TaskListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TaskCount();
}

int TaskListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !Valid(index.row()))
        return QVariant();
    const Row& r = rows_[index.row()];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return column == CheckColumn ? QVariant() : QVariant(r.text[column]);
    case Qt::CheckStateRole:
        if (column == CheckColumn)
            return r.checked ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    case Qt::ForegroundRole:
        if (r.colour[column])
            return QBrush(*r.colour[column]);
        return QVariant();
    case Qt::ToolTipRole:
        if (column == TitleColumn && !r.toolTip.isEmpty())
            return r.toolTip;
        // A long status or error text may be cut off in its cell.
        if (column == StatusColumn && !r.progressOn && !r.text[column].isEmpty())
            return r.text[column];
        return QVariant();
    case Qt::TextAlignmentRole:
        if (column == TitleColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case ProgressRole:
        return column == StatusColumn ? QVariant(r.progress) : QVariant();
    case ProgressOnRole:
        return column == StatusColumn ? QVariant(r.progressOn) : QVariant();
    default:
        return QVariant();
    }
}

bool TaskListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !Valid(index.row()) || index.column() != CheckColumn ||
        role != Qt::CheckStateRole)
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    if (rows_[index.row()].checked == checked)
        return true;
    rows_[index.row()].checked = checked;
    CellChanged(index.row(), CheckColumn, {Qt::CheckStateRole});
    Q_EMIT checkToggled(index.row(), checked);
    return true;
}

QVariant TaskListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return kHeaderIds[section] ? LoadText(kHeaderIds[section]) : QString();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment(section == TitleColumn ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter));
    return QVariant();
}

Qt::ItemFlags TaskListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (index.column() == CheckColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}
