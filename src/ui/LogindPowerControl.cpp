#include "ui/LogindPowerControl.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

QString LogindPowerControl::PowerOff() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return bus.lastError().message();
    QDBusInterface manager(QStringLiteral("org.freedesktop.login1"),
                           QStringLiteral("/org/freedesktop/login1"),
                           QStringLiteral("org.freedesktop.login1.Manager"), bus);
    // Not interactive: the request must not wait for a password prompt.
    const QDBusReply<void> reply = manager.call(QStringLiteral("PowerOff"), false);
    return reply.isValid() ? QString() : reply.error().message();
}
