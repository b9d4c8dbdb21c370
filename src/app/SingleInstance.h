#pragma once
// One desktop program per user session. The first start owns a name on the
// session bus and answers Open calls there (their items go to its window);
// a later start hands its addresses and files to it and ends. Without a session bus (or when the
// first start does not answer) every start works on its own.
//
// Threads: main thread only; calls arrive through the application's event
// loop.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class CTrevaloDlg;

class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quillmere.Zorv1")
  public:
    static constexpr const char* kServiceName = "com.quillmere.Zorv";
    static constexpr const char* kObjectPath = "/com/quillmere/Zorv";
    static constexpr const char* kInterface = "com.quillmere.Zorv1";
    // How long a later start waits for the first one to take its items.
    static constexpr int kHandOverTimeoutMs = 10000;

    enum class Role {
        First,      // this start owns the name; Open calls reach the window
        HandedOver, // the running program took the items: this start ends
        Alone,      // no session bus, or no answer: this start works on its own
    };

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Claims the name, or hands `items` to its owner. `activationToken` lets
    // the owner's window come to the front on desktops that guard focus.
    Role ClaimOrHandOver(const QStringList& items, const QString& activationToken);
    Role CurrentRole() const { return role_; }
    // Why the last claim ended Alone (for the log); empty otherwise.
    QString Note() const { return note_; }

    // Items a later start hands over go to `window`, which comes to the
    // front; those that came before it existed go there now.
    void DeliverTo(CTrevaloDlg& window);

    // The token this start was given by whoever launched it (empty if none).
    static QString LaunchActivationToken();

  public Q_SLOTS:
    // Called over the bus by a later start.
    Q_SCRIPTABLE void Open(const QStringList& items, const QString& activationToken);

  private:
    void Release();

    QPointer<CTrevaloDlg> window_; // gone: items wait again
    QStringList early_;            // handed over before DeliverTo
    Role role_ = Role::Alone;
    QString note_;
};
