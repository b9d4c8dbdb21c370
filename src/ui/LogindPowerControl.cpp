#include "ui/LogindPowerControl.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

void LogindPowerControl::PowerOff(std::function<void(const QString& refusal)> answered) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        // Answer from the event loop as the bus would, never from inside the call.
        QTimer::singleShot(0, [answered, reason = bus.lastError().message()] { answered(reason); });
        return;
    }
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    // Not interactive: the request must not wait for a password prompt.
    request << false;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(request));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [answered](QDBusPendingCallWatcher* call) {
                         const QDBusPendingReply<> reply = *call;
                         call->deleteLater();
                         answered(reply.isError() ? reply.error().message() : QString());
                     });
}
