#include "app/SingleInstance.h"

#include "app/CTrevaloDlg.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <utility>

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    Release();
}

QString SingleInstance::LaunchActivationToken() {
    const QString wayland = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return wayland.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : wayland;
}

SingleInstance::Role SingleInstance::ClaimOrHandOver(const QStringList& items,
                                                     const QString& activationToken) {
    Release();
    note_.clear();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) {
        note_ = QStringLiteral("No session bus (%1): this window works on its own")
                    .arg(bus.lastError().message());
        return role_ = Role::Alone;
    }
    const QString service = QLatin1String(kServiceName);
    // The object is there before the name, so a start that finds the name
    // taken always finds someone to answer.
    if (!bus.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportScriptableSlots)) {
        note_ = QStringLiteral("The session bus refused the program's object: this window works on its own");
        return role_ = Role::Alone;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> claimed =
        bus.interface()->registerService(service, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (claimed.isValid() && claimed.value() == QDBusConnectionInterface::ServiceRegistered)
        return role_ = Role::First;
    bus.unregisterObject(QLatin1String(kObjectPath));

    QDBusMessage call = QDBusMessage::createMethodCall(service, QLatin1String(kObjectPath),
                                                       QLatin1String(kInterface), QStringLiteral("Open"));
    call << items << activationToken;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kHandOverTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return role_ = Role::HandedOver;
    note_ = QStringLiteral("The running program did not take the items (%1): this window works on its own")
                .arg(reply.errorMessage());
    return role_ = Role::Alone;
}

void SingleInstance::Open(const QStringList& items, const QString& activationToken) {
    // The caller gets its answer first: what the window does with the items
    // (a message about a refused address) must not keep it waiting.
    QMetaObject::invokeMethod(
        this,
        [this, items, activationToken] {
            if (window_) {
                window_->OpenItems(items);
                window_->BringToFront(activationToken);
            } else {
                early_ += items; // the window is not made yet (a start-up message is open)
            }
        },
        Qt::QueuedConnection);
}

void SingleInstance::DeliverTo(CTrevaloDlg& window) {
    window_ = &window;
    if (!early_.isEmpty())
        window.OpenItems(std::exchange(early_, {}));
}

void SingleInstance::Release() {
    if (role_ != Role::First)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QLatin1String(kObjectPath));
    bus.unregisterService(QLatin1String(kServiceName));
    role_ = Role::Alone;
}
