#include "ui/DesktopNotifier.h"

#include "base/AppLog.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kOpenFolder = QStringLiteral("open-folder");
} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

void DesktopNotifier::NotifyBatchEnded(int saved, int failed, const QString& folder) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!subscribed_) {
        subscribed_ = bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                                  SLOT(OnActionInvoked(uint, QString))) &&
                      bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                                  SLOT(OnClosed(uint, uint)));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QString openFolder = LoadText(TextId::OpenFolderAction);
    // "default" is what a click on the notification itself chooses.
    const QStringList actions = {QStringLiteral("default"), openFolder, kOpenFolder, openFolder};
    const QVariantMap hints = {{QStringLiteral("desktop-entry"), QStringLiteral("zorv")},
                               {QStringLiteral("category"), QStringLiteral("transfer.complete")}};
    call << QStringLiteral("Zorv YouTube Downloader") << uint(0) << QStringLiteral("zorv")
         << LoadText(TextId::BatchEndedTitle)
         << FillFormat(LoadText(TextId::BatchEndedCounts), {QString::number(saved), QString::number(failed)})
         << actions << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, folder] {
        const QDBusPendingReply<uint> reply = *watcher;
        if (!reply.isError())
            folders_[reply.value()] = folder;
        else // no notification server, most often
            LogInfoW("DesktopNotifier", QStringLiteral("No desktop notification: %1").arg(reply.error().message()));
        watcher->deleteLater();
    });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto shown = folders_.find(id);
    if (shown == folders_.end() || (action != kOpenFolder && action != QLatin1String("default")))
        return;
    const QString folder = shown->second;
    folders_.erase(shown);
    Q_EMIT openFolderRequested(folder);
}

void DesktopNotifier::OnClosed(uint id, uint) {
    folders_.erase(id);
}
