#include "app/history/SiteTreePanel.h"

#include "app/history/HistoryList.h"
#include "base/CommandIds.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "history/HistoryDb.h"
#include "history/OtherSitesHistory.h"
#include "ui/ImageButtonStrip.h"
#include "ui/ResourceBundle.h"
#include "ui/WidgetTranslation.h"

#include <QPainter>
#include <QTreeWidget>

#include <algorithm>

namespace {
constexpr int kImageStrip = 183, kBackground = 174;
constexpr int kToggleNormal = 175, kToggleDown = 176, kToggleDisabled = 177, kToggleHover = 178;
constexpr int kFooterNormal = 187, kFooterHot = 188;
constexpr int kFolderIcon = 139, kOptionsIcon = 190;
constexpr int kTaskRootImage = 1, kHistoryRootImage = 2, kSiteImage = 3;
constexpr int kBandHeight = 25, kFooterHeight = 22;
const QColor kPanelColour(153, 153, 153);

struct Site {
    int data;
    const char* name; // null: text TextId::NicoVideoSite
    const char* folder;
};
constexpr Site kSites[] = {{SiteTreePanel::kYouTube, "YouTube", "YouTube"},
                           {SiteTreePanel::kGoogle, "Google Video", "Google"},
                           {SiteTreePanel::kMetacafe, "MetaCafe", "MetaCafe"},
                           {SiteTreePanel::kNicoVideo, nullptr, "NicoVideo"}};

const Site* FindSite(int data) {
    for (const Site& site : kSites)
        if (site.data == data)
            return &site;
    return nullptr;
}

QString DisplayName(const Site& site) {
    return site.name ? QString::fromLatin1(site.name) : LoadText(TextId::NicoVideoSite);
}
} // namespace

SiteTreePanel::SiteTreePanel(ResourceBundle& bundle, SqliteConnection* history, QWidget* parent)
    : QWidget(parent), bundle_(bundle), history_(history) {
    setObjectName(QStringLiteral("siteTreePanel"));
    WidgetTranslation::SetCtrlId(this, IDD);

    header_ = new ImageButtonStrip(this);
    WidgetTranslation::SetCtrlId(header_, kHeaderStripId);
    header_->AddButton(kToggleButton, QSize(10, 11));

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("siteTree"));
    WidgetTranslation::SetCtrlId(tree_, kTreeId);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setIndentation(16);
    tree_->setIconSize(QSize(16, 16));
    tree_->setFrameShape(QFrame::NoFrame);
    QPalette colours = tree_->palette();
    colours.setColor(QPalette::Base, kPanelColour);
    colours.setColor(QPalette::Text, Qt::white);
    tree_->setPalette(colours);

    QFont bold = tree_->font();
    bold.setBold(true);
    tasksRoot_ = new QTreeWidgetItem(tree_);
    tasksRoot_->setData(0, Qt::UserRole, kRootData);
    tasksRoot_->setFont(0, bold);
    historyRoot_ = new QTreeWidgetItem(tree_);
    historyRoot_->setData(0, Qt::UserRole, kRootData);
    historyRoot_->setFont(0, bold);
    for (const Site& site : kSites)
        (new QTreeWidgetItem(historyRoot_))->setData(0, Qt::UserRole, site.data);
    (new QTreeWidgetItem(historyRoot_))->setData(0, Qt::UserRole, kOtherSites);
    historyRoot_->setExpanded(true);

    footer_ = new ImageButtonStrip(this);
    WidgetTranslation::SetCtrlId(footer_, kFooterStripId);
    footer_->SetMargins(2, 2, 3, 1);
    footer_->AddButton(kOutputFolderButton, QSize(80, 19), 1);
    footer_->AddButton(kOptionsButton, QSize(80, 19), 1);
    for (int number : {kOutputFolderButton, kOptionsButton})
        footer_->Button(number)->setIconSize(QSize(14, 14));
    footer_->Button(kOutputFolderButton)->setIcon(bundle_.Icon(kFolderIcon));
    footer_->Button(kOptionsButton)->setIcon(bundle_.Icon(kOptionsIcon));

    connect(header_, &ImageButtonStrip::buttonClicked, this, &SiteTreePanel::OnButton);
    connect(footer_, &ImageButtonStrip::buttonClicked, this, &SiteTreePanel::OnButton);
    LoadImages();
    tree_->setCurrentItem(tasksRoot_);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &SiteTreePanel::OnCurrentItemChanged);
    Retranslate();
}

void SiteTreePanel::LoadImages() {
    const qreal dpr = devicePixelRatioF();
    const QPixmap strip = bundle_.Bitmap(kImageStrip, QSize(64, 16), dpr);
    auto image = [&](int index) {
        if (strip.isNull())
            return QIcon();
        const int side = qRound(16 * dpr);
        QPixmap tile = strip.copy(index * side, 0, side, side);
        tile.setDevicePixelRatio(dpr);
        return QIcon(tile);
    };
    tasksRoot_->setIcon(0, image(kTaskRootImage));
    historyRoot_->setIcon(0, image(kHistoryRootImage));
    for (int i = 0; i < historyRoot_->childCount(); ++i)
        historyRoot_->child(i)->setIcon(0, image(kSiteImage));

    auto states = [&](int normal, int hover, int pressed, int disabled, QSize size) {
        return std::array<QPixmap, 4>{bundle_.Bitmap(normal, size, dpr), bundle_.Bitmap(hover, size, dpr),
                                      bundle_.Bitmap(pressed, size, dpr),
                                      bundle_.Bitmap(disabled, size, dpr)};
    };
    header_->Button(kToggleButton)
        ->SetStatePixmaps(states(kToggleNormal, kToggleHover, kToggleDown, kToggleDisabled, QSize(10, 11)));
    for (int number : {kOutputFolderButton, kOptionsButton})
        footer_->Button(number)->SetStatePixmaps(
            states(kFooterNormal, kFooterHot, kFooterHot, kFooterNormal, QSize(96, 19)));
}

void SiteTreePanel::ConnectHistoryList(HistoryList* list) {
    historyList_ = list;
    if (historyList_)
        historyList_->RetitleColumns();
}

void SiteTreePanel::SelectFirstRoot() {
    tree_->setCurrentItem(tasksRoot_);
}

QTreeWidgetItem* SiteTreePanel::Node(int itemData) const {
    if (itemData == kRootData)
        return historyRoot_;
    for (int i = 0; i < historyRoot_->childCount(); ++i)
        if (historyRoot_->child(i)->data(0, Qt::UserRole).toInt() == itemData)
            return historyRoot_->child(i);
    return nullptr;
}

QString SiteTreePanel::SiteLabel(int itemData) {
    const Site* site = FindSite(itemData);
    return site ? QString::fromLatin1(site->folder).toUpper() : QString();
}

int SiteTreePanel::QueryRows(int itemData, HistoryRowReceiver& pane) {
    if (historyList_)
        historyList_->Model()->SetSiteColumnShown(itemData == kOtherSites);
    if (itemData == kOtherSites)
        return QueryOtherSitesHistory(history_, pane);
    const QString label = SiteLabel(itemData);
    if (label.isEmpty())
        return 1;
    // A site's rows carry their site: a media action on one files its
    // result under it.
    struct SiteStamp : HistoryRowReceiver {
        SiteStamp(HistoryRowReceiver& to, int site) : to(to), site(site) {}
        void AddHistoryRow(DownloadTask task) override {
            task.site = site;
            to.AddHistoryRow(std::move(task));
        }
        HistoryRowReceiver& to;
        int site;
    } stamp(pane, SiteOfLabel(label));
    return QueryHistory(history_, label, stamp);
}

void SiteTreePanel::Recount() {
    for (int i = 0; i < historyRoot_->childCount(); ++i) {
        QTreeWidgetItem* node = historyRoot_->child(i);
        const int data = node->data(0, Qt::UserRole).toInt();
        const Site* site = FindSite(data);
        if (!site && data != kOtherSites)
            continue;
        // A database error (-1) shows the plain name, as an empty history does.
        const int count =
            site ? CountHistory(history_, SiteLabel(site->data)) : CountOtherSitesHistory(history_);
        const QString name = site ? DisplayName(*site) : LoadText(TextId::OtherSitesNode);
        node->setText(0, count > 0 ? QStringLiteral("%1 (%2)").arg(name).arg(count) : name);
        QFont font = node->font(0);
        font.setBold(count > 0);
        node->setFont(0, font);
    }
    Q_EMIT widthWanted(WantedWidth());
}

int SiteTreePanel::WantedWidth() const {
    // The widest node with its indentation and icon, and what the tree's
    // frame and padding take around its items; a little room besides, as
    // the item style pads each text.
    const int around = std::max(tree_->width() - tree_->viewport()->width(), 2 * tree_->frameWidth() + 8);
    // (QTreeView hides it; through the base it still counts the indentation.)
    return static_cast<const QAbstractItemView*>(tree_)->sizeHintForColumn(0) + around + 8;
}

void SiteTreePanel::Retranslate() {
    tasksRoot_->setText(0, LoadText(TextId::TasksRoot));
    historyRoot_->setText(0, LoadText(TextId::HistoryRoot));
    footer_->Button(kOutputFolderButton)->setToolTip(LoadText(TextId::OpenOutputFolderTip));
    footer_->Button(kOptionsButton)->setToolTip(LoadText(TextId::OptionsButton));
    footer_->Button(kOutputFolderButton)->setText(LoadText(TextId::FolderButton));
    footer_->Button(kOptionsButton)->setText(LoadText(TextId::OptionsButton));
    if (historyList_)
        historyList_->RetitleColumns();
    Recount();
}

void SiteTreePanel::ClearHistoryList() {
    if (historyList_)
        historyList_->Clear();
}

void SiteTreePanel::DeleteHistoryEntry(const DownloadTask& task) {
    DeleteHistory(history_, task);
    Recount();
}

void SiteTreePanel::OnButton(int number) {
    switch (number) {
    case kToggleButton:
        Q_EMIT toggleRequested();
        break;
    case kOutputFolderButton:
        Q_EMIT commandRequested(CommandId::OpenOutputFolder);
        break;
    case kOptionsButton:
        Q_EMIT commandRequested(CommandId::Options);
        break;
    default:
        break;
    }
}

void SiteTreePanel::OnCurrentItemChanged(QTreeWidgetItem* current) {
    if (!current)
        return;
    if (current == tasksRoot_)
        Q_EMIT taskListRequested();
    else
        Q_EMIT historyRequested(current->data(0, Qt::UserRole).toInt());
}

void SiteTreePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRect r = rect();
    header_->setGeometry(r.right() - 15, r.top() + 5, 10, 11);
    tree_->setGeometry(r.left(), r.top() + kBandHeight, r.width(), std::max(0, r.height() - 48));
    footer_->setGeometry(r.left() + 1, r.bottom() - kFooterHeight, r.width() - 2, kFooterHeight);
}

void SiteTreePanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Q_EMIT widthWanted(WantedWidth());
}

void SiteTreePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kPanelColour);
    const QPixmap band = bundle_.Bitmap(kBackground, QSize(width(), kBandHeight), devicePixelRatioF());
    if (!band.isNull())
        painter.drawPixmap(0, 0, band);
}
