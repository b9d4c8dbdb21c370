#include "app/gui/SiteCountsPanel.h"

#include "app/Localization.h"
#include "history/HistoryDb.h"

#include <QHeaderView>

namespace {
struct SiteNode {
    const char* text; // 0: string 32892
    const char* label;
};
constexpr SiteNode kSites[] = {
    {"YouTube", "YOUTUBE"}, {"Google Video", "GOOGLE"}, {"MetaCafe", "METACAFE"}, {nullptr, "NICOVIDEO"}};
} // namespace

SiteCountsPanel::SiteCountsPanel(SqliteConnection* history, QWidget* parent)
    : QTreeWidget(parent), history_(history) {
    setObjectName(QStringLiteral("siteTree"));
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(14);
    setFrameShape(QFrame::NoFrame);
    tasksRoot_ = new QTreeWidgetItem(this);
    historyRoot_ = new QTreeWidgetItem(this);
    QFont bold = font();
    bold.setBold(true);
    tasksRoot_->setFont(0, bold);
    historyRoot_->setFont(0, bold);
    for (int i = 0; i < 4; ++i)
        new QTreeWidgetItem(historyRoot_);
    historyRoot_->setExpanded(true);
    setCurrentItem(tasksRoot_);
    Retranslate();
}

void SiteCountsPanel::Retranslate() {
    tasksRoot_->setText(0, LoadText(32823));
    historyRoot_->setText(0, LoadText(32825));
    Recount();
}

void SiteCountsPanel::Recount() {
    for (int i = 0; i < 4; ++i) {
        const QString name = kSites[i].text ? QString::fromLatin1(kSites[i].text) : LoadText(32892);
        const int count = std::max(0, CountHistory(history_, QLatin1String(kSites[i].label)));
        historyRoot_->child(i)->setText(0, QStringLiteral("%1 (%2)").arg(name).arg(count));
    }
}
