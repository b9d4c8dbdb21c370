// The window among the user's other programs: items handed to the program
// (its command line, a later start), the clipboard bar, the notification at
// the end of a batch, and coming to the front.
#include "app/CTrevaloDlg.h"

#include "app/ClipboardBar.h"
#include "app/MainWindowWidgets.h"
#include "app/ReportingShell.h"
#include "app/tasklist/DownloadTaskList.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "ui/DesktopNotifier.h"

#include <QApplication>
#include <QDir>
#include <QUrl>

void CTrevaloDlg::ConnectDesktop() {
    // A video address copied elsewhere is offered across the window.
    clipboardBar_ = new ClipboardBar(this);
    widgets_->SetNoticeBar(clipboardBar_);
    clipboardBar_->SetWatching(settings_.WatchClipboard != 0);
    connect(clipboardBar_, &ClipboardBar::addRequested, this, [this](const QString& address, bool start) {
        OnShowTaskList();
        if (start)
            taskList_->AddAndStart(address);
        else
            taskList_->AddUrlTask(address);
    });
    // A batch that ends while the user looks elsewhere is told on the desktop.
    auto* notifier = new DesktopNotifier(this);
    connect(taskList_.get(), &DownloadTaskList::batchFinished, notifier,
            [this, notifier](int saved, int failed) {
                if (!IsInFront())
                    notifier->NotifyBatchEnded(saved, failed, taskList_->OutputFolder());
            });
    connect(notifier, &DesktopNotifier::openFolderRequested, this,
            [this](const QString& folder) { reportingShell_->Open(QUrl::fromLocalFile(folder)); });
}

void CTrevaloDlg::OpenItems(const QStringList& items) {
    if (items.isEmpty())
        return; // a plain start: the window only comes to the front
    if (!initialized_) {
        pendingItems_ += items;
        return;
    }
    QStringList files;
    QStringList addresses;
    for (const QString& item : items)
        (QDir::isAbsolutePath(item) ? files : addresses) << item;
    LogInfoW("CTrevaloDlg", QStringLiteral("Opening %1 address(es) and %2 file(s) given to the program")
                                .arg(addresses.size())
                                .arg(files.size()));
    OnShowTaskList();
    taskList_->AddUrls(addresses);
    taskList_->AddFiles(files);
}

bool CTrevaloDlg::IsInFront() const {
    // The window or one of its own dialogs has the keyboard.
    for (const QWidget* w = QApplication::activeWindow(); w; w = w->parentWidget())
        if (w == this)
            return true;
    return false;
}

void CTrevaloDlg::BringToFront(const QString& activationToken) {
    // Wayland's activation protocol reads the token the launcher gave the later start.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}
