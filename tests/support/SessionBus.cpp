#include "support/SessionBus.h"

#include "support/EndProcess.h"
#include "support/WaitFor.h"

namespace {
QString g_address;
} // namespace

PrivateSessionBus::~PrivateSessionBus() {
    Stop();
}

bool PrivateSessionBus::Start(QString* error) {
    daemon_.setProgram(QStringLiteral("dbus-daemon"));
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    daemon_.start();
    if (!daemon_.waitForStarted(10000)) {
        if (error)
            *error = QStringLiteral("dbus-daemon did not start: ") + daemon_.errorString();
        return false;
    }
    // The address is the first line it prints.
    QByteArray out;
    const bool printed = WaitFor([&] {
        daemon_.waitForReadyRead(20);
        out += daemon_.readAllStandardOutput();
        return out.contains('\n') || daemon_.state() != QProcess::Running;
    });
    address_ = QString::fromUtf8(out.left(out.indexOf('\n'))).trimmed();
    if (!printed || address_.isEmpty()) {
        if (error)
            *error = QStringLiteral("dbus-daemon printed no address: ") +
                     QString::fromLocal8Bit(daemon_.readAllStandardError());
        Stop();
        return false;
    }
    return true;
}

void PrivateSessionBus::Stop() {
    EndProcess(daemon_);
}

void SessionBusTestEnvironment::SetUp() {
    QString error;
    ASSERT_TRUE(bus_.Start(&error)) << error.toStdString();
    g_address = bus_.Address();
    qputenv("DBUS_SESSION_BUS_ADDRESS", g_address.toUtf8());
}

void SessionBusTestEnvironment::TearDown() {
    bus_.Stop();
}

QString SessionBusTestEnvironment::Address() {
    return g_address;
}
