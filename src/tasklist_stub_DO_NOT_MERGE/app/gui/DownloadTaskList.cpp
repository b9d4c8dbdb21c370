#include "app/gui/DownloadTaskList.h"

#include "app/Localization.h"
#include "platform/ParseUrl.h"
#include "platform/UserPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <functional>

DownloadTaskList::DownloadTaskList(AppSettings&, UserPrompts& prompts, PowerControl&, QWidget* viewParent)
    : prompts_(prompts), view_(new QTableView(viewParent)), model_(new QStandardItemModel(0, 7, this)) {
    const int headers[] = {0, 278, 261, 280, 267, 282, 283};
    for (int c = 0; c < 7; ++c)
        model_->setHeaderData(c, Qt::Horizontal, headers[c] ? LoadText(headers[c]) : QString());
    view_->setModel(model_);
    connect(model_, &QStandardItemModel::itemChanged, this, [this] { Q_EMIT toolbarChanged(); });
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
}

DownloadTaskList::~DownloadTaskList() = default;

QWidget* DownloadTaskList::View() const {
    return view_;
}

void DownloadTaskList::AddUrlTask(const QString& address) {
    const auto parts = ParseUrl(address);
    if (!parts || parts->scheme != QLatin1String("http") || address.contains(QLatin1Char('\n'))) {
        prompts_.ShowMessage(LoadText(32782), UserPrompts::Icon::Warning);
        return;
    }
    for (int r = 0; r < model_->rowCount(); ++r)
        if (model_->item(r, 1)->text() == address)
            return;
    QList<QStandardItem*> row;
    auto* check = new QStandardItem;
    check->setCheckable(true);
    check->setCheckState(Qt::Checked);
    row << check << new QStandardItem(address) << new QStandardItem(QStringLiteral("N/A"))
        << new QStandardItem(QStringLiteral("Online")) << new QStandardItem(QStringLiteral("N/A"))
        << new QStandardItem(QStringLiteral("N/A"))
        << new QStandardItem(QStringLiteral("Ready for download..."));
    for (QStandardItem* item : row)
        item->setForeground(QColor(192, 0, 0));
    model_->appendRow(row);
    Q_EMIT toolbarChanged();
}

void DownloadTaskList::AddUrls(const QStringList& lines) {
    for (const QString& line : lines)
        AddUrlTask(line);
}

bool DownloadTaskList::HasPending(bool checkedOnly) const {
    for (int r = 0; r < model_->rowCount(); ++r)
        if (!checkedOnly || model_->item(r, 0)->checkState() == Qt::Checked)
            return true;
    return false;
}

bool DownloadTaskList::CanStartAll() const {
    return workerCreated_ && !downloading_ && HasPending(false);
}

void DownloadTaskList::StartAll() {
    downloading_ = true;
    Q_EMIT toolbarChanged();
}

void DownloadTaskList::Stop() {
    downloading_ = false;
    Q_EMIT toolbarChanged();
}

void DownloadTaskList::StopAskingFirst() {
    if (prompts_.AskYesNo(LoadText(309)))
        Stop();
}

bool DownloadTaskList::CanStripStart() const {
    return !downloading_ && HasPending(true);
}

bool DownloadTaskList::RemoveRows(QList<int> rows) {
    if (downloading_)
        return false;
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int r : rows)
        model_->removeRow(r);
    Q_EMIT toolbarChanged();
    return true;
}

bool DownloadTaskList::CanPaste() const {
    const auto parts = ParseUrl(QApplication::clipboard()->text());
    return parts && parts->scheme == QLatin1String("http");
}

void DownloadTaskList::PasteFromClipboard() {
    AddUrlTask(QApplication::clipboard()->text());
}
