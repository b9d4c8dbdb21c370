#include "ui/SystemShell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>

void SystemShell::ShowFileInFolder(const QString& path, Answered answered) {
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
    const auto openFolder = [this, folder, answered] {
        const bool opened = Open(folder);
        if (answered)
            answered(opened);
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()} << QString();
    // Asynchronous: starting a file manager may take a while, and the
    // window must not wait for it.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [openFolder, answered, watcher] {
        if (watcher->isError())
            openFolder();
        else if (answered)
            answered(true);
        watcher->deleteLater();
    });
}

bool SystemShell::Open(const QUrl& url) {
    // False when Qt finds no launcher (xdg-open, a desktop's own opener).
    return QDesktopServices::openUrl(url);
}

SystemShell& SystemShell::Instance() {
    static SystemShell shell;
    return shell;
}
