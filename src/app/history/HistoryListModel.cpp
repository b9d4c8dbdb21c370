#include "app/history/HistoryListModel.h"

#include "base/Localization.h"
#include "base/TextIds.h"

namespace {
constexpr int kHeaderIds[HistoryListModel::kColumnCount] = {TextId::FileHeader, TextId::DurationHeader,
                                                            TextId::FormatHeader, TextId::FrameSizeHeader,
                                                            TextId::DownloadedOnHeader};

Qt::Alignment ColumnAlignment(int column) {
    return column <= HistoryListModel::DurationColumn || column == HistoryListModel::SiteColumn
               ? Qt::AlignLeft | Qt::AlignVCenter
               : Qt::AlignCenter;
}
} // namespace

HistoryListModel::HistoryListModel(QObject* parent) : QAbstractTableModel(parent) {}

HistoryListModel::~HistoryListModel() = default;

DownloadTask* HistoryListModel::Task(int row) const {
    return row >= 0 && row < TaskCount() ? rows_[row].task.get() : nullptr;
}

int HistoryListModel::RowOf(const DownloadTask* task) const {
    for (int i = 0; i < TaskCount(); ++i)
        if (rows_[i].task.get() == task)
            return i;
    return -1;
}

std::unique_ptr<DownloadTask> HistoryListModel::TakeRow(int row) {
    if (row < 0 || row >= TaskCount())
        return nullptr;
    beginRemoveRows(QModelIndex(), row, row);
    std::unique_ptr<DownloadTask> task = std::move(rows_[row].task);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
    return task;
}

void HistoryListModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void HistoryListModel::RetitleColumns() {
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void HistoryListModel::SetSiteColumnShown(bool shown) {
    if (shown == siteShown_)
        return;
    beginResetModel();
    siteShown_ = shown;
    endResetModel();
}

HistoryListModel::Column HistoryListModel::ColumnOf(int section) const {
    if (!siteShown_ || section < kSiteSection)
        return static_cast<Column>(section);
    return section == kSiteSection ? SiteColumn : static_cast<Column>(section - 1);
}

void HistoryListModel::AddHistoryRow(DownloadTask task) {
    const int row = TaskCount();
    beginInsertRows(QModelIndex(), row, row);
    Row r;
    r.task = std::make_unique<DownloadTask>(std::move(task));
    r.text = MakeHistoryRowText(*r.task);
    rows_.push_back(std::move(r));
    endInsertRows();
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TaskCount();
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount + (siteShown_ ? 1 : 0);
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= TaskCount())
        return QVariant();
    const HistoryRowText& t = rows_[index.row()].text;
    const Column column = ColumnOf(index.column());
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case FileColumn:
            return t.title;
        case DurationColumn:
            return t.duration;
        case FormatColumn:
            return t.format;
        case SizeColumn:
            return t.size;
        case DateColumn:
            return t.date;
        case SiteColumn:
            return rows_[index.row()].task->siteName;
        default:
            return QVariant();
        }
    case Qt::ToolTipRole:
        return column == FileColumn && !t.titleTip.isEmpty() ? QVariant(t.titleTip) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ColumnAlignment(column));
    default:
        return QVariant();
    }
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QVariant();
    const Column column = ColumnOf(section);
    if (role == Qt::DisplayRole)
        return LoadText(column == SiteColumn ? TextId::SiteHeader : kHeaderIds[column]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColumnAlignment(column));
    return QVariant();
}

Qt::ItemFlags HistoryListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
