#include "ui/HistoryListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

#include <algorithm>

namespace {
// Shares of (client width - 22) for columns 0 to 3; column 4 takes the rest
// of the client width less 2 pixels, as the task list's last column does.
constexpr double kShares[] = {0.40, 0.12, 0.12, 0.15};
constexpr int kReserved = 22;
constexpr int kLastColumnMargin = 2;
} // namespace

HistoryListView::HistoryListView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("historyList"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true); // tool tips of the file cells
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(26);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
}

QList<int> HistoryListView::SelectedRows() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void HistoryListView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    FitColumns();
}

void HistoryListView::FitColumns() {
    const int client = viewport()->width();
    const int base = std::max(0, client - kReserved);
    int used = 0;
    for (int column = 0; column < 4; ++column) {
        const int width = static_cast<int>(base * kShares[column]);
        setColumnWidth(column, width);
        used += width;
    }
    setColumnWidth(4, std::max(0, client - used - kLastColumnMargin));
}

void HistoryListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid())
        Q_EMIT rowDoubleClicked(index.row());
}
