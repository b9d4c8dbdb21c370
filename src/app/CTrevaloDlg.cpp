#include "app/CTrevaloDlg.h"

#include "browser/gui/BrowserDialogs.h"

#include "app/AboutDlg.h"
#include "app/ClipboardBar.h"
#include "app/ConnectionState.h"
#include "app/MainWindowMenus.h"
#include "app/MainWindowWidgets.h"
#include "app/ReportingShell.h"
#include "app/history/HistoryCommands.h"
#include "app/history/HistoryList.h"
#include "app/history/SiteTreePanel.h"
#include "app/options/COptionsSheet.h"
#include "app/preview/CPreviewPanel.h"
#include "app/preview/PreviewWiring.h"
#include "app/tasklist/ActionCommands.h"
#include "app/tasklist/DownloadTaskList.h"
#include "app/tasklist/TaskListCommands.h"
#include "app/tasklist/TaskListView.h"
#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/CommandIds.h"
#include "base/Localization.h"
#include "base/OutputFolder.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "base/WindowPlacement.h"
#include "browser/gui/CImportLinksDlg.h"
#include "history/HistoryDb.h"
#include "platform/MessageTarget.h"
#include "platform/PowerControl.h"
#include "platform/UserPrompts.h"
#include "ui/CommandTable.h"
#include "ui/ElidedLabel.h"
#include "ui/FramelessFrame.h"
#include "ui/MenuBuilder.h"
#include "ui/QueuedCallTarget.h"
#include "ui/ResourceBundle.h"
#include "ui/SystemShell.h"
#include "ui/TipsPanel.h"
#include "ui/TitleButtonStrip.h"
#include "ui/WidgetPlacement.h"
#include "ui/WidgetTranslation.h"
#include "update/CheckVersion.h"
#include "update/gui/CCheckUpdateDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolButton>
#include <QUrl>

#include <utility>

namespace {
const QEvent::Type kDeferredInitEvent = static_cast<QEvent::Type>(QEvent::registerEventType()); // 5026

QString ProductName() {
    return TranslateText(QLatin1String(kProductName));
}
} // namespace

CTrevaloDlg::CTrevaloDlg(AppSettings& settings, UserPrompts& prompts, PowerControl& power,
                         ResourceBundle& bundle, SqliteConnection* history, QWidget* parent)
    : QDialog(parent), connectionAvailable(IsInternetConnected), previewPlaying([] { return false; }),
      settings_(settings), prompts_(prompts), power_(power), bundle_(bundle), history_(history),
      shell_(&SystemShell::Instance()),
      reportingShell_(std::make_unique<ReportingShell>(
          [this]() -> DesktopShell& { return *shell_; },
          [self = QPointer<CTrevaloDlg>(this)](const QString& shown) {
              if (self)
                  self->SetStatusText(FillFormat(LoadText(TextId::NothingAnswered), {shown}));
          })) {
    OnInitDialog();
}

CTrevaloDlg::~CTrevaloDlg() {
    SetVersionReceiver(nullptr);
    // The check may still wait on the network; it owns only its own copies.
    if (versionCheck_.joinable())
        versionCheck_.detach();
    taskList_.reset();
    historyList_.reset();
}

void CTrevaloDlg::OnInitDialog() {
    LogContextScope context("OnInitDialog");
    LogInfo("CTrevaloDlg", "Initializing main dialog ...");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint);
    setWindowTitle(ProductName());
    setWindowIcon(bundle_.Icon(1009));
    frame_ = new FramelessFrame(this);
    connect(frame_, &FramelessFrame::closeRequested, this, [this] { CloseWindow(); });
    connect(frame_, &FramelessFrame::toggleMaximizeRequested, this, [this] { ToggleMaximized(); });
    widgets_ = std::make_unique<MainWindowWidgets>(this, bundle_, history_);
    for (QWidget* surface : widgets_->Surfaces())
        frame_->AddSurface(surface);
    commands_ = new CommandTable(this);
    connect(commands_, &CommandTable::executed, this, [this] { RefreshToolbar(); });

    LogInfo("CTrevaloDlg", "Loading accelerators ...");
    LoadAccelerators();
    LogInfo("CTrevaloDlg", "List control initialized.");
    widgets_->outputFolder->setText(settings_.OutputFolder);
    preview_ = new CPreviewPanel(bundle_, settings_, this);
    widgets_->SetPreviewPanel(preview_);
    LogInfo("CTrevaloDlg", "Panel preview initialized.");
    LogInfo("CTrevaloDlg", "HTML tips initialized.");

    taskList_ = std::make_unique<DownloadTaskList>(settings_, prompts_, power_, this);
    taskList_->SetHistoryDb(history_);
    // A site's CAPTCHA or sign-in page opens in the browser dialog; without
    // the browser module the user at least learns where to go.
    taskList_->SetBrowserDialogHook([this](int code, const QString& address) {
        if (!RunBrowserDialog(code, address, this))
            prompts_.ShowMessage(address, UserPrompts::Icon::Information);
    });
    widgets_->SetTaskView(taskList_->View());
    connect(taskList_.get(), &DownloadTaskList::statusTextChanged, this, &CTrevaloDlg::SetStatusText);
    connect(taskList_.get(), &DownloadTaskList::toolbarChanged, this, &CTrevaloDlg::RefreshToolbar);
    // Recounted once the insertion's handler has returned.
    connect(taskList_.get(), &DownloadTaskList::historyInserted, widgets_->siteTree, &SiteTreePanel::Recount,
            Qt::QueuedConnection);
    connect(taskList_.get(), &DownloadTaskList::showSiteTreeRequested, this,
            [this] { SetSiteTreeVisible(true); });
    // After a power-off request the program ends without the close sequence.
    connect(taskList_.get(), &DownloadTaskList::quitRequested, this, [this] {
        ending_ = true;
        done(QDialog::Accepted);
    });
    ConnectDesktop();
    ConnectPreviewToTaskList(*preview_, *taskList_);
    previewPlaying = [this] { return preview_->State() != CPreviewPanel::Stopped; };
    taskList_->View()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(taskList_->View(), &QWidget::customContextMenuRequested, this, &CTrevaloDlg::ShowTaskContextMenu);
    historyList_ = std::make_unique<HistoryList>(this);
    widgets_->SetHistoryView(historyList_->View());
    ConnectSiteTree();
    ConnectPreviewToHistoryList(*preview_, *historyList_);
    connect(this, &CTrevaloDlg::previewResetRequested, preview_, [this] {
        preview_->StopPlayback();
        preview_->ShowTask(nullptr);
    });

    const VersionTriple v = ProgramVersion();
    const QString version =
        QStringLiteral("%1 %2.%3.%4").arg(ProductName()).arg(v.major).arg(v.minor).arg(v.build);
    LogInfoW("CTrevaloDlg", QStringLiteral("Version : %1").arg(version));
    widgets_->version->setText(QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.build));
    widgets_->title->setText(ProductName());

    RegisterCommands();
    LoadMenus();
    connect(widgets_->strip, &TitleButtonStrip::buttonPressed, this, &CTrevaloDlg::OnStripButton);
    connect(widgets_->siteTreeHandle, &QToolButton::clicked, this, [this] { SetSiteTreeVisible(true); });
    connect(widgets_->chooseFolder, &QToolButton::clicked, this,
            [this] { ExecuteCommand(CommandId::ChooseOutputFolder); });
    connect(widgets_->openFolder, &QToolButton::clicked, this,
            [this] { ExecuteCommand(CommandId::OpenOutputFolder); });
    // Return or leaving the box: what was typed becomes the output folder.
    connect(widgets_->outputFolder, &QLineEdit::editingFinished, this, &CTrevaloDlg::ApplyTypedOutputFolder);

    setMinimumSize(kMinWidth, kMinHeight);
    resize(kMinWidth, kMinHeight);
    RestorePlacement();
    widgets_->RetranslateStrip();
    RefreshToolbar();
    QCoreApplication::postEvent(this, new QEvent(kDeferredInitEvent));
    WidgetTranslation::TranslateDialog(this, IDD);
}

void CTrevaloDlg::OnDeferredInit() {
    LogInfo("CTrevaloDlg", "Creating events for pipe read/write...");
    NormalizeOutputBox();
    if (!QFileInfo(settings_.OutputFolder).isDir()) {
        prompts_.ShowMessage(LoadText(TextId::OutputFolderMissing));
        ChooseOutputFolder();
    }
    LogInfo("CTrevaloDlg", "Creating online video downloader...");
    taskList_->CreateWorker();
    LogInfoW("CTrevaloDlg",
             QStringLiteral("Setting YouTube output folder: [%1]...").arg(settings_.OutputFolder));
    if (!settings_.OutputFolder.isEmpty())
        QDir().mkpath(settings_.OutputFolder);
    taskList_->ApplyWorkerSettings();
    LogInfo("CTrevaloDlg", "Main dialog initialized.");
    initialized_ = true;
    RefreshToolbar();
    if (!pendingItems_.isEmpty())
        OpenItems(std::exchange(pendingItems_, {}));

    if (ProgramVersion().major > 0 && connectionAvailable && connectionAvailable()) {
        LogInfo("CTrevaloDlg", "Internet connection available, checking update version...");
        versionReceiver_ = std::make_unique<QueuedCallTarget>(
            this, [this](int msg, qintptr w, qintptr l) { OnVersionMessage(msg, w, l); });
        SetVersionReceiver(versionReceiver_.get());
        versionCheck_ = StartCheckVersionThread(ProgramVersion());
    }
}

void CTrevaloDlg::OnVersionMessage(int msg, qintptr wParam, qintptr lParam) {
    if (versionCheck_.joinable())
        versionCheck_.join(); // it has posted its one result
    if (msg != UM_VERSION_NEWER)
        return;
    OpenUpdateDialog(false, UnpackVersion(wParam, lParam));
}

void CTrevaloDlg::OpenUpdateDialog(bool checkNow, VersionTriple latest) {
    // Modal to this window without a nested event loop: the start-up check's
    // result arrives inside event handling.
    auto* dialog = new CCheckUpdateDlg(checkNow, ProgramVersion(), latest, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

bool CTrevaloDlg::event(QEvent* event) {
    if (event->type() == kDeferredInitEvent) {
        OnDeferredInit();
        return true;
    }
    return QDialog::event(event);
}

void CTrevaloDlg::RegisterCommands() {
    auto shell = [this]() -> DesktopShell& { return *reportingShell_; };
    TaskListCommands::Register(*commands_, *taskList_,
                               {[this] { return previewPlaying && previewPlaying(); },
                                [this] { return IsTaskListInFront(); }, shell});
    HistoryCommands::Register(*commands_, *historyList_, *widgets_->siteTree, shell);
    ActionCommands::Register(*commands_, *taskList_, settings_, [this]() -> const DownloadTask* {
        // The list in front names the file: a finished row or a history entry.
        if (IsTaskListInFront())
            return TaskListCommands::SelectedLocalFile(*taskList_);
        const DownloadTask* task = historyList_->SingleSelectedTask();
        return task && TaskListCommands::IsReadableFile(task->location) ? task : nullptr;
    });
    CommandTable& c = *commands_;
    c.Add(CommandId::AddAddresses, nullptr, [this] { taskList_->OpenAddUrlDialog(this); });
    c.Add(CommandId::ImportLinks, nullptr, [this] {
        CImportLinksDlg dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            taskList_->AddImportedLinks(dialog.Links()); // each link in the order found
    });
    c.Add(CommandId::OpenOutputFolder, nullptr, [this] { OpenOutputFolder(); });
    c.Add(CommandId::ChooseOutputFolder, nullptr, [this] { ChooseOutputFolder(); });
    c.Add(CommandId::Options, nullptr, [this] { ShowOptions(); });
    c.Add(CommandId::Exit, nullptr, [this] { CloseWindow(); });
    c.Add(CommandId::Help, nullptr, [this] { OpenHelp(); });
    c.Add(CommandId::CheckUpdates, nullptr, [this] { OpenUpdateDialog(true, {}); });
    c.Add(CommandId::About, nullptr, [this] { ShowAbout(); });
    c.Add(CommandId::SystemAbout, nullptr, [this] { ShowAbout(); });
    c.Add(CommandId::HomePage, nullptr, [this] { reportingShell_->Open(QUrl(CCheckUpdateDlg::HomePage())); });
    c.Add(CommandId::ProductPage, nullptr,
          [this] { reportingShell_->Open(QUrl(QStringLiteral("http://www.quillmere.example/zorv/"))); });
}

bool CTrevaloDlg::ExecuteCommand(int id) {
    return commands_->Execute(id);
}

bool CTrevaloDlg::IsCommandEnabled(int id) const {
    return commands_->IsEnabled(id);
}

bool CTrevaloDlg::HasCommand(int id) const {
    return commands_->Has(id);
}

void CTrevaloDlg::LoadAccelerators() {
    for (const Accelerator& a : bundle_.Accelerators(kAccelerators))
        commands_->InstallAccelerator(this, a.keys, a.command);
}

void CTrevaloDlg::LoadMenus() {
    menus_ = std::make_unique<MainWindowMenus>(this, widgets_->menuBar, *commands_, settings_);
    menus_->RegisterLanguageCommands([this] { OnLanguageChanged(); });
    if (!menus_->Load(bundle_, ProductName()))
        LogError("CTrevaloDlg", "Cannot load main menu");
    // The preview's own menu: what can be done with its marks, the task
    // list's item of the same command.
    std::function<const MenuEntry*(const std::vector<MenuEntry>&)> find =
        [&find](const std::vector<MenuEntry>& entries) -> const MenuEntry* {
        for (const MenuEntry& entry : entries) {
            if (entry.kind == MenuEntry::Command && entry.id == CommandId::SaveMarkedRange)
                return &entry;
            if (const MenuEntry* inner = find(entry.submenu))
                return inner;
        }
        return nullptr;
    };
    const auto contextMenus = bundle_.Menu(MainWindowMenus::kContextMenus);
    if (const MenuEntry* save = contextMenus ? find(*contextMenus) : nullptr) {
        previewMenu_ = new QMenu(this);
        MenuBuilder::Fill(previewMenu_, {*save}, *commands_);
        preview_->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(preview_, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& pos) { previewMenu_->popup(preview_->mapToGlobal(pos)); });
    }
}

void CTrevaloDlg::OnLanguageChanged() {
    // What message 5031 asks of the window: pictures, strip, texts.
    SetStatusText(QString());
    widgets_->ReloadImages(isMaximized());
    widgets_->RetranslateStrip();
    menus_->Retranslate(ProductName());
    if (previewMenu_)
        MenuBuilder::TranslateMenu(previewMenu_);
    widgets_->siteTree->Retranslate();
    taskList_->ListView()->Retranslate();
    preview_->Retranslate();
    clipboardBar_->Retranslate();
    widgets_->tips->SetPage(bundle_.LocalHtml(TipsPanel::kPageId));
    setWindowTitle(ProductName());
    widgets_->title->setText(ProductName());
    WidgetTranslation::TranslateDialog(this, IDD); // the output folder line
    update();
    Q_EMIT languageChanged();
}

void CTrevaloDlg::OnStripButton(int number) {
    switch (number) {
    case StripButton::Minimize:
        showMinimized();
        break;
    case StripButton::Maximize:
        ToggleMaximized();
        break;
    case StripButton::Close:
        CloseWindow();
        break;
    case StripButton::AddAddresses:
        ExecuteCommand(CommandId::AddAddresses);
        break;
    case StripButton::StartAll:
        if (widgets_->strip->IsButtonEnabled(StripButton::StartAll))
            ExecuteCommand(CommandId::StartAll);
        break;
    case StripButton::StopAsking:
        if (widgets_->strip->IsButtonEnabled(StripButton::StopAsking))
            ExecuteCommand(CommandId::StopAsking);
        break;
    case StripButton::SiteTree:
        SetSiteTreeVisible(!IsSiteTreeVisible());
        break;
    default:
        break;
    }
}

void CTrevaloDlg::RefreshToolbar() {
    widgets_->strip->SetButtonEnabled(StripButton::StartAll, taskList_->CanStripStart());
    widgets_->strip->SetButtonEnabled(StripButton::StopAsking, taskList_->IsBusy());
}

TitleButtonStrip* CTrevaloDlg::Strip() const {
    return widgets_->strip;
}

void CTrevaloDlg::SetStatusText(const QString& text) {
    widgets_->status->SetFullText(text);
}

QString CTrevaloDlg::StatusText() const {
    return widgets_->status->FullText();
}

bool CTrevaloDlg::IsSiteTreeVisible() const {
    return widgets_->IsSiteTreeVisible();
}

void CTrevaloDlg::SetSiteTreeVisible(bool visible) {
    widgets_->SetSiteTreeVisible(visible);
}

void CTrevaloDlg::ToggleMaximized() {
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void CTrevaloDlg::ShowTaskContextMenu(const QPoint& pos) {
    QMenu* menu = menus_ ? menus_->TaskContextMenu() : nullptr;
    if (menu && !menu->isEmpty())
        menu->popup(taskList_->View()->mapToGlobal(pos));
}

void CTrevaloDlg::ConnectSiteTree() {
    SiteTreePanel* tree = widgets_->siteTree;
    tree->ConnectHistoryList(historyList_.get());
    connect(tree, &SiteTreePanel::toggleRequested, this,
            [this] { SetSiteTreeVisible(!IsSiteTreeVisible()); });
    connect(tree, &SiteTreePanel::taskListRequested, this, &CTrevaloDlg::OnShowTaskList);
    connect(tree, &SiteTreePanel::historyRequested, this, &CTrevaloDlg::OnShowHistory);
    connect(tree, &SiteTreePanel::commandRequested, this, [this](int id) { ExecuteCommand(id); });
    connect(taskList_.get(), &DownloadTaskList::bringTaskListToFront, tree, &SiteTreePanel::SelectFirstRoot);
    connect(historyList_.get(), &HistoryList::contextMenuRequested, this,
            &CTrevaloDlg::ShowHistoryContextMenu);
}

SiteTreePanel* CTrevaloDlg::SiteTree() const {
    return widgets_->siteTree;
}

bool CTrevaloDlg::IsTaskListInFront() const {
    return !widgets_->IsHistoryViewShown();
}

void CTrevaloDlg::OnShowTaskList() {
    widgets_->ShowHistoryView(false);
}

void CTrevaloDlg::OnShowHistory(int itemData) {
    widgets_->siteTree->ClearHistoryList();
    widgets_->siteTree->QueryRows(itemData, historyList_->Receiver());
    Q_EMIT previewResetRequested();
    widgets_->ShowHistoryView(true);
}

void CTrevaloDlg::ShowHistoryContextMenu(const QPoint& globalPos) {
    QMenu* menu = menus_ ? menus_->HistoryContextMenu() : nullptr;
    if (menu && !menu->isEmpty())
        menu->popup(globalPos);
}

void CTrevaloDlg::ShowAbout() {
    AboutDlg about(bundle_, this);
    about.exec();
}

void CTrevaloDlg::OpenHelp() {
    reportingShell_->Open(QUrl::fromLocalFile(GetAppFolder() + QStringLiteral("/help/intro.html")));
}

void CTrevaloDlg::OpenOutputFolder() {
    NormalizeOutputBox();
    reportingShell_->Open(QUrl::fromLocalFile(widgets_->outputFolder->text()));
}

void CTrevaloDlg::ChooseOutputFolder() {
    NormalizeOutputBox();
    const QString before = widgets_->outputFolder->text();
    const std::optional<QString> chosen =
        prompts_.PickFolder(LoadText(TextId::ChooseOutputFolderTitle), before);
    if (!chosen)
        return;
    widgets_->outputFolder->setText(*chosen);
    NormalizeOutputBox();
    const QString folder = widgets_->outputFolder->text();
    // The setting follows the choice: the worker is given the setting again
    // when the window finishes initialising, and it is what the next start uses.
    settings_.OutputFolder = folder;
    taskList_->SetOutputFolder(folder);
    if (folder != before)
        SetStatusText(FillFormat(LoadText(TextId::OutputFolderChanged), {folder}));
}

void CTrevaloDlg::ApplyTypedOutputFolder() {
    const QString before = settings_.OutputFolder;
    const QString folder = NormalizeOutputFolder(widgets_->outputFolder->text());
    if (folder == before) {
        widgets_->outputFolder->setText(folder);
        return;
    }
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        // Nothing changes: the box shows where downloads still go.
        widgets_->outputFolder->setText(before);
        prompts_.ShowMessage(FillFormat(LoadText(TextId::OutputFolderNotMade), {folder, before}),
                             UserPrompts::Icon::Warning);
        return;
    }
    widgets_->outputFolder->setText(folder);
    settings_.OutputFolder = folder;
    taskList_->SetOutputFolder(folder);
    SetStatusText(FillFormat(LoadText(TextId::OutputFolderChanged), {folder}));
}

void CTrevaloDlg::ShowOptions() {
    settings_.OutputFolder = widgets_->outputFolder->text();
    const QString before = settings_.OutputFolder;
    COptionsSheet sheet(settings_, prompts_, this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    // The box shows where downloads now go: the sheet's folder, cleaned and
    // created as the worker will use it (an emptied field gives the default).
    widgets_->outputFolder->setText(settings_.OutputFolder);
    NormalizeOutputBox();
    const QString folder = widgets_->outputFolder->text();
    settings_.OutputFolder = folder;
    taskList_->ApplyWorkerSettings(); // folder, use-title flag, retry count
    clipboardBar_->SetWatching(settings_.WatchClipboard != 0);
    if (folder != before)
        SetStatusText(FillFormat(LoadText(TextId::OutputFolderChanged), {folder}));
}

void CTrevaloDlg::NormalizeOutputBox() {
    const QString folder = NormalizeOutputFolder(widgets_->outputFolder->text());
    widgets_->outputFolder->setText(folder);
    QDir().mkpath(folder);
}

void CTrevaloDlg::RestorePlacement() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const StoredWindowState stored = LoadWindowState(screen.width(), screen.height());
    startPlacement_ = stored;
    WidgetPlacement::Apply(this, stored.placement);
    SetSiteTreeVisible(CountHistory(history_) > 0 && stored.showMM != 0);
}

StoredWindowState CTrevaloDlg::CurrentPlacement() const {
    StoredWindowState state;
    state.placement = WidgetPlacement::Read(this);
    state.showMM = IsSiteTreeVisible() ? 1 : 0;
    return state;
}

void CTrevaloDlg::SavePlacement() {
    // What this run did not change stays as stored: another running copy
    // may have stored its own since.
    SaveWindowState(CurrentPlacement(), &startPlacement_);
}

bool CTrevaloDlg::CloseWindow() {
    if (ending_)
        return true;
    if (taskList_->IsBusy() && !prompts_.AskYesNo(LoadText(TextId::StopAndExitQuestion)))
        return false;
    settings_.Save();
    SavePlacement();
    preview_->StopPlayback();
    ending_ = true;
    done(QDialog::Accepted);
    return true;
}

void CTrevaloDlg::closeEvent(QCloseEvent* event) {
    if (ending_ || CloseWindow())
        event->accept();
    else
        event->ignore();
}

void CTrevaloDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The title area's menu stands in for the system menu.
    if (menus_ && menus_->SystemMenu() && event->pos().y() < widgets_->HeaderHeight())
        menus_->SystemMenu()->popup(event->globalPos());
}

void CTrevaloDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape never close the main window.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CTrevaloDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange)
        widgets_->ReloadImages(isMaximized());
    QDialog::changeEvent(event);
}

void CTrevaloDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    widgets_->PaintBackground(painter, size());
}
