#include "app/history/HistoryListView.h"

#include "ui/ListColumns.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

#include <algorithm>

namespace {
// Shares of (client width - 22) for columns 0 to 3; column 4 takes the rest
// of the client width less 2 pixels, as the task list's last column does.
constexpr double kShares[] = {0.40, 0.12, 0.12, 0.15};
// The widest texts the short columns usually show.
constexpr const char* kSamples[] = {"", "00:00:00", "FLV1", "1920x1080"};
// The same with the site column after the file's.
constexpr double kSiteShares[] = {0.30, 0.11, 0.11, 0.09, 0.13};
constexpr const char* kSiteSamples[] = {"", "Generic", "00:00:00", "FLV1", "1920x1080"};
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
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true); // tool tips of the file cells
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(26);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
}

void HistoryListView::setModel(QAbstractItemModel* rows) {
    if (model()) {
        disconnect(model(), &QAbstractItemModel::headerDataChanged, this, nullptr);
        disconnect(model(), &QAbstractItemModel::modelReset, this, nullptr);
    }
    QTableView::setModel(rows);
    if (rows) {
        connect(rows, &QAbstractItemModel::headerDataChanged, this, [this] { FitColumns(); });
        // The site column comes and goes with a reset.
        connect(rows, &QAbstractItemModel::modelReset, this, [this] { FitColumns(); });
    }
    FitColumns();
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
    // The file name gives way first when the list is narrow.
    if (model() && model()->columnCount() > static_cast<int>(std::size(kShares)) + 1)
        FitListColumns(*this, kSiteShares, kSiteSamples, 0);
    else
        FitListColumns(*this, kShares, kSamples, 0);
}

void HistoryListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid())
        Q_EMIT rowDoubleClicked(index.row());
}
