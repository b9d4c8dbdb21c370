#pragma once
// A private D-Bus session bus for tests: `dbus-daemon --session` of its own,
// so single-instance names and notifications never reach the user's desktop.

#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

class PrivateSessionBus {
  public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Starts the daemon and waits for its address; false with a reason.
    bool Start(QString* error = nullptr);
    void Stop();
    QString Address() const { return address_; }

  private:
    QProcess daemon_;
    QString address_;
};

// Starts a private bus for a whole test program and names it in
// DBUS_SESSION_BUS_ADDRESS before anything connects to a session bus.
class SessionBusTestEnvironment : public ::testing::Environment {
  public:
    void SetUp() override;
    void TearDown() override;
    static QString Address();

  private:
    PrivateSessionBus bus_;
};
