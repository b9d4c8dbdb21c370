#include "app/MainWindowWidgets.h"

#include "app/history/SiteTreePanel.h"
#include "base/AppFolders.h"
#include "base/Localization.h"
#include "ui/ElidedLabel.h"
#include "ui/FramelessFrame.h"
#include "ui/ResourceBundle.h"
#include "ui/TipsPanel.h"
#include "ui/TitleButtonStrip.h"
#include "ui/WidgetTranslation.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Bitmap numbers of the bundle.
constexpr int kLogoBitmap = 134; // the language's bitmap: the product logo
constexpr int kAddBitmap = 130, kStartBitmap = 131, kStopBitmap = 132, kSiteTreeBitmap = 133;
constexpr int kMinimizeBitmap = 135, kMaximizeBitmap = 136, kRestoreBitmap = 137, kCloseBitmap = 138;
constexpr int kFolderBitmap = 139;

const char* const kStyle = R"(
#mainHeader QLabel#productTitle { color: #f2f5f8; font-weight: 600; }
#mainHeader QMenuBar { background: transparent; color: #cfd8e3; }
#mainHeader QMenuBar::item { background: transparent; padding: 5px 9px; border-radius: 4px; }
#mainHeader QMenuBar::item:selected { background: rgba(255,255,255,0.14); color: #ffffff; }
#mainHeader QMenuBar::item:disabled { color: #7f8b99; }
QMenu { background: #ffffff; border: 1px solid #c9d1db; padding: 4px; }
QMenu::item { padding: 5px 26px 5px 24px; border-radius: 4px; color: #1f2a37; }
QMenu::item:selected { background: #fde6da; color: #b8441f; }
QMenu::item:disabled { color: #a3acb8; }
QMenu::separator { height: 1px; background: #e3e8ee; margin: 4px 8px; }
QFrame#panelFrame { background: #ffffff; border: 1px solid #d3d9e1; border-radius: 6px; }
QTextBrowser#tipsPanel { background: transparent; }
QTreeWidget#siteTree { background: rgb(153,153,153); color: #ffffff; padding: 6px 4px; outline: 0; }
QTreeWidget#siteTree::item { padding: 3px 2px; border-radius: 3px; color: #ffffff; }
QTreeWidget#siteTree::item:hover { background: rgba(255,255,255,0.16); }
QTreeWidget#siteTree::item:selected { background: rgba(255,255,255,0.30); color: #ffffff; }
QToolButton#siteTreeHandle { background: #dfe4ea; border: 1px solid #ccd3dc; border-radius: 4px; color: #3b4654; }
QToolButton#siteTreeHandle:hover { background: #d2d9e1; }
QLabel#statusLine { color: #3b4654; }
QLabel#versionLabel { color: #8a95a3; }
QLineEdit#outputFolderBox { background: #ffffff; border: 1px solid #c6cdd6; border-radius: 4px; padding: 3px 6px; }
QLineEdit#outputFolderBox:focus { border-color: #e0662f; }
#footerButtons QToolButton { border: 1px solid #c6cdd6; border-radius: 4px; background: #ffffff; padding: 3px 8px; }
#footerButtons QToolButton:hover { background: #f4f6f9; }
)";

constexpr int kSiteFrameWidth = 182;

QFrame* Panel(QWidget* content) {
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("panelFrame"));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(content);
    return frame;
}
} // namespace

MainWindowWidgets::MainWindowWidgets(QDialog* window, ResourceBundle& bundle, SqliteConnection* history)
    : window_(window), bundle_(bundle) {
    window->setStyleSheet(QLatin1String(kStyle));
    auto* root = new QVBoxLayout(window);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(BuildHeader());
    root->addWidget(body_ = BuildBody(history), 1);
    root->addWidget(footer_ = BuildFooter());
    ReloadImages(false);
}

QWidget* MainWindowWidgets::BuildHeader() {
    header = new QWidget;
    header->setObjectName(QStringLiteral("mainHeader"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 6, 7, 6);
    row->setSpacing(8);
    logo = new QLabel;
    logo->setFixedSize(22, 22);
    title = new QLabel;
    title->setObjectName(QStringLiteral("productTitle"));
    menuBar = new QMenuBar;
    menuBar->setNativeMenuBar(false);
    strip = new TitleButtonStrip;
    using Kind = TitleButtonStrip::Kind;
    strip->AddButton(StripButton::AddAddresses, Kind::Command, {}, QString());
    strip->AddButton(StripButton::StartAll, Kind::Command, {}, QString());
    strip->AddButton(StripButton::StopAsking, Kind::Command, {}, QString());
    strip->AddSpacing(6);
    strip->AddButton(StripButton::SiteTree, Kind::Command, {}, QString());
    strip->AddSpacing(14);
    strip->AddButton(StripButton::Minimize, Kind::Window, {}, QString());
    strip->AddButton(StripButton::Maximize, Kind::Window, {}, QString());
    strip->AddButton(StripButton::Close, Kind::Close, {}, QString());
    row->addWidget(logo);
    row->addWidget(title);
    row->addSpacing(10);
    row->addWidget(menuBar, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(strip);
    return header;
}

QWidget* MainWindowWidgets::BuildBody(SqliteConnection* history) {
    auto* body = new QWidget;
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(10, 10, 10, 6);
    row->setSpacing(8);

    siteTree = new SiteTreePanel(bundle_, history);
    siteFrame_ = Panel(siteTree);
    siteFrame_->setFixedWidth(kSiteFrameWidth);
    // Wider when a node's name and count need it (a long language, a large
    // history), never narrower than usual.
    QObject::connect(siteTree, &SiteTreePanel::widthWanted, siteFrame_, [frame = siteFrame_](int width) {
        frame->setFixedWidth(std::max(kSiteFrameWidth, width + 2));
    });
    siteTreeHandle = new QToolButton;
    siteTreeHandle->setObjectName(QStringLiteral("siteTreeHandle"));
    siteTreeHandle->setText(QStringLiteral("\u203a"));
    siteTreeHandle->setFixedWidth(std::max(14, siteTreeHandle->sizeHint().width())); // the arrow whole
    siteTreeHandle->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    siteTreeHandle->hide();

    auto* taskHost = new QWidget;
    taskArea = new QVBoxLayout(taskHost);
    taskArea->setContentsMargins(0, 0, 0, 0);

    tips = new TipsPanel;
    tips->SetPage(bundle_.LocalHtml(TipsPanel::kPageId));
    QFrame* tipsFrame = Panel(tips);
    // The preview above the tips: its width sets the column's.
    auto* sideColumn = new QWidget;
    previewArea = new QVBoxLayout(sideColumn);
    previewArea->setContentsMargins(0, 0, 0, 0);
    previewArea->setSpacing(8);
    previewArea->addWidget(tipsFrame, 1);

    row->addWidget(siteFrame_);
    row->addWidget(siteTreeHandle);
    row->addWidget(taskHost, 1);
    row->addWidget(sideColumn);
    return body;
}

QWidget* MainWindowWidgets::BuildFooter() {
    auto* footer = new QWidget;
    auto* column = new QVBoxLayout(footer);
    column->setContentsMargins(12, 2, 12, 8);
    column->setSpacing(6);

    auto* folderRow = new QHBoxLayout;
    folderRow->setSpacing(6);
    outputFolderLabel = new QLabel(QStringLiteral("Output folder:"));
    WidgetTranslation::SetCtrlId(outputFolderLabel, kOutputFolderLabelId);
    outputFolder = new QLineEdit;
    outputFolder->setObjectName(QStringLiteral("outputFolderBox"));
    WidgetTranslation::SetCtrlId(outputFolder, kOutputFolderBoxId);
    auto* buttons = new QWidget;
    buttons->setObjectName(QStringLiteral("footerButtons"));
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(6);
    chooseFolder = new QToolButton;
    chooseFolder->setText(QStringLiteral("Browse..."));
    WidgetTranslation::SetCtrlId(chooseFolder, 1195);
    openFolder = new QToolButton;
    openFolder->setText(QStringLiteral("Open"));
    openFolder->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    WidgetTranslation::SetCtrlId(openFolder, 1196);
    buttonRow->addWidget(chooseFolder);
    buttonRow->addWidget(openFolder);
    folderRow->addWidget(outputFolderLabel);
    folderRow->addWidget(outputFolder, 1);
    folderRow->addWidget(buttons);

    auto* statusRow = new QHBoxLayout;
    // The status line gives way to the version, never the other way round:
    // a long line (a media address) is shortened in its middle.
    status = new ElidedLabel;
    status->setObjectName(QStringLiteral("statusLine"));
    version = new QLabel;
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    statusRow->addWidget(status, 1);
    statusRow->addWidget(version);

    column->addLayout(folderRow);
    column->addLayout(statusRow);
    return footer;
}

void MainWindowWidgets::SetNoticeBar(QWidget* bar) {
    qobject_cast<QVBoxLayout*>(window_->layout())->insertWidget(1, bar);
}

void MainWindowWidgets::SetTaskView(QWidget* view) {
    // Drawn inside the same rounded panel as its neighbours.
    if (auto* frame = qobject_cast<QFrame*>(view))
        frame->setFrameShape(QFrame::NoFrame);
    taskArea->addWidget(taskPanel_ = Panel(view));
}

void MainWindowWidgets::SetHistoryView(QWidget* view) {
    if (auto* frame = qobject_cast<QFrame*>(view))
        frame->setFrameShape(QFrame::NoFrame);
    taskArea->addWidget(historyPanel_ = Panel(view));
    historyPanel_->hide();
}

void MainWindowWidgets::ShowHistoryView(bool history) {
    // Hide first, so the area never holds both at once.
    (history ? taskPanel_ : historyPanel_)->hide();
    (history ? historyPanel_ : taskPanel_)->show();
}

bool MainWindowWidgets::IsHistoryViewShown() const {
    return historyPanel_ && !historyPanel_->isHidden();
}

void MainWindowWidgets::SetPreviewPanel(QWidget* panel) {
    QFrame* frame = Panel(panel);
    frame->setFixedSize(panel->minimumSize() + QSize(2, 2));
    previewArea->insertWidget(0, frame);
}

void MainWindowWidgets::ReloadImages(bool maximized) {
    const qreal dpr = window_->devicePixelRatioF();
    logo->setPixmap(bundle_.LocalBitmap(kLogoBitmap, logo->size(), dpr));
    strip->SetIcon(StripButton::AddAddresses, bundle_.Icon(kAddBitmap));
    strip->SetIcon(StripButton::StartAll, bundle_.Icon(kStartBitmap));
    strip->SetIcon(StripButton::StopAsking, bundle_.Icon(kStopBitmap));
    strip->SetIcon(StripButton::SiteTree, bundle_.Icon(kSiteTreeBitmap));
    strip->SetIcon(StripButton::Minimize, bundle_.Icon(kMinimizeBitmap));
    strip->SetIcon(StripButton::Maximize, bundle_.Icon(maximized ? kRestoreBitmap : kMaximizeBitmap));
    strip->SetIcon(StripButton::Close, bundle_.Icon(kCloseBitmap));
    openFolder->setIcon(bundle_.Icon(kFolderBitmap));
}

int MainWindowWidgets::HeaderHeight() const {
    return header->height();
}

void MainWindowWidgets::SetSiteTreeVisible(bool visible) {
    siteFrame_->setVisible(visible);
    siteTreeHandle->setVisible(!visible);
}

bool MainWindowWidgets::IsSiteTreeVisible() const {
    return !siteFrame_->isHidden();
}

void MainWindowWidgets::RetranslateStrip() {
    strip->SetToolTip(StripButton::AddAddresses, TranslateText(QStringLiteral("Add addresses")));
    strip->SetToolTip(StripButton::StartAll, TranslateText(QStringLiteral("Start all")));
    strip->SetToolTip(StripButton::StopAsking, TranslateText(QStringLiteral("Stop")));
    strip->SetToolTip(StripButton::SiteTree, TranslateText(QStringLiteral("Show or hide the sites")));
    strip->SetToolTip(StripButton::Minimize, TranslateText(QStringLiteral("Minimize")));
    strip->SetToolTip(StripButton::Maximize, TranslateText(QStringLiteral("Maximize")));
    strip->SetToolTip(StripButton::Close, TranslateText(QStringLiteral("Close")));
}

void MainWindowWidgets::PaintBackground(QPainter& painter, QSize size) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect all(QPoint(0, 0), size);
    painter.fillRect(all, QColor(0xee, 0xf1, 0xf5));
    const int headerHeight = HeaderHeight();
    QLinearGradient band(0, 0, 0, headerHeight);
    band.setColorAt(0, QColor(0x26, 0x37, 0x4a));
    band.setColorAt(1, QColor(0x1f, 0x2b, 0x38));
    painter.fillRect(QRect(0, 0, size.width(), headerHeight), band);
    const qreal radius = FramelessFrame::kCornerEllipse / 2.0;
    painter.setPen(QPen(QColor(0x17, 0x21, 0x2c), 1));
    painter.drawRoundedRect(QRectF(all).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}
