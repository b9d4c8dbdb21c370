// The window among the user's other programs, on a private X display and a
// private session bus: a later start hands its addresses and files over, a
// batch that ends unseen is notified, a copied video address is offered in
// the clipboard bar, and a request nothing on the desktop answers is said.
#include "app/ClipboardBar.h"
#include "app/CommandLine.h"
#include "app/MainWindowFixture.h"
#include "app/SingleInstance.h"
#include "app/options/CPageGeneral.h"
#include "app/tasklist/TaskListModel.h"
#include "base/CommandIds.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "support/EndProcess.h"
#include "support/SessionBus.h"
#include "ui/SystemShell.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QVariantMap>

namespace {
const auto* const g_bus = ::testing::AddGlobalTestEnvironment(new SessionBusTestEnvironment);
const auto* const g_display = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);

QString Program() {
    return qEnvironmentVariable("ZORV_TEST_BINARY_DIR") + QStringLiteral("/bin/zorv");
}

// A user's start of the program with its own home below `home`.
QProcessEnvironment StartEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("ZORV_CONNECT_TO"), QStringLiteral("update.quillmere.example:80:127.0.0.1:1"));
    return env;
}

// A notification server that records what it is asked to show.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    struct Shown {
        QString summary;
        QString body;
        QStringList actions;
    };
    QList<Shown> shown;

  public Q_SLOTS:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        shown.append({summary, body, actions});
        return uint(shown.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
};
// The rows' titles (a pending row shows its address), in order.
QString Ids(const QAbstractItemModel* rows) {
    QStringList out;
    for (int row = 0; row < rows->rowCount(); ++row)
        out << rows->index(row, TaskListModel::TitleColumn).data().toString();
    return out.join(QLatin1Char(' '));
}
} // namespace

class DesktopE2E : public MainWindowFixture {};

TEST_F(DesktopE2E, CommandLineItemsAreAddressesOrAbsoluteFilesAndQuestionsNeedNoDisplay) {
    WriteFile(QStringLiteral("cwd/clip one.flv"), "FLV");
    const QString clip = Path("cwd/clip one.flv");
    const struct {
        QStringList args;
        QStringList items;
    } cases[] = {
        {{Address("zvNormal001"), QStringLiteral(" https://example.org/v/1 ")},
         {Address("zvNormal001"), QStringLiteral("https://example.org/v/1")}},
        {{QStringLiteral("clip one.flv"), QStringLiteral("../cwd/./clip one.flv")}, {clip, clip}},
        {{QUrl::fromLocalFile(clip).toString()}, {clip}},
        {{QStringLiteral("no-such-file"), QString()}, {QStringLiteral("no-such-file")}},
    };
    for (const auto& c : cases) {
        const StartRequest request = ParseCommandLine(c.args, Path("cwd"), false);
        EXPECT_EQ(request.action, StartRequest::Action::Run);
        EXPECT_EQ(request.items, c.items) << c.args.join(QLatin1Char('|')).toStdString();
    }
    EXPECT_EQ(ParseCommandLine({QStringLiteral("--frob")}, Path(), false).action,
              StartRequest::Action::Error);

    // Without a display and without a bus, as from a text console: questions
    // are answered, an unknown option is refused instead of Qt ending the program.
    const struct {
        const char* argument;
        int exitCode;
        const char* starts; // of stdout, or of stderr for a refusal
    } questions[] = {
        {"--help", 0, "Usage: zorv "}, {"--version", 0, "zorv 1."}, {"--frob", 2, "zorv: Unknown option"}};
    for (const auto& q : questions) {
        QProcess zorv;
        QProcessEnvironment env = StartEnvironment(Path("console"));
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QLatin1String(name));
        zorv.setProcessEnvironment(env);
        zorv.start(Program(), {QLatin1String(q.argument)});
        ASSERT_TRUE(zorv.waitForFinished(10000));
        EXPECT_EQ(zorv.exitStatus(), QProcess::NormalExit) << q.argument;
        EXPECT_EQ(zorv.exitCode(), q.exitCode) << q.argument;
        const QString out =
            QString::fromUtf8(q.exitCode ? zorv.readAllStandardError() : zorv.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(QLatin1String(q.starts))) << out.toStdString();
    }
    EXPECT_EQ(FolderTree(Path("console")), QStringList());
}

TEST_F(DesktopE2E, ALaterStartHandsItsItemsToTheWindowAndEndsWritingNothing) {
    CTrevaloDlg& window = Open();
    SingleInstance first;
    ASSERT_EQ(first.ClaimOrHandOver({}, {}), SingleInstance::Role::First) << first.Note().toStdString();
    first.DeliverTo(window);
    window.showMinimized();
    ASSERT_TRUE(WaitForGui([&] { return window.isMinimized(); }));

    WriteFile(QStringLiteral("cwd/notes.txt"), "not a video");
    QDir().mkpath(Path("second"));
    QProcess second;
    second.setProcessEnvironment(StartEnvironment(Path("second")));
    second.setWorkingDirectory(Path("cwd"));
    second.start(Program(), {Address("zvNormal001"), QStringLiteral("notes.txt"), Address("zvNormal002")});
    // The window answers from this thread's event loop.
    ASSERT_TRUE(WaitForGui([&] { return second.state() == QProcess::NotRunning; }, std::chrono::seconds(30)));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(FolderTree(Path("second")), QStringList())
        << "the later start wrote settings, a log or a history";

    ASSERT_TRUE(WaitForGui([&] { return Rows()->rowCount() == 2; })) << Ids(Rows()).toStdString();
    EXPECT_EQ(Ids(Rows()), Address("zvNormal001") + QLatin1Char(' ') + Address("zvNormal002"));
    EXPECT_FALSE(window.isMinimized());
    // The file went the way of a dropped one: identified, and refused as no video.
    ASSERT_TRUE(WaitForGui([&] { return window.StatusText().contains(Path("cwd/notes.txt")); }))
        << window.StatusText().toStdString();
}

TEST_F(DesktopE2E, WithoutASessionBusEveryStartWorksOnItsOwn) {
    QProcessEnvironment env = StartEnvironment(Path("home"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + Path("no-bus"));
    const QString log = Path("home/.local/share/Zorv YouTube Downloader/ruzivar.log");
    QProcess starts[2];
    for (QProcess& start : starts) {
        start.setProcessEnvironment(env);
        start.start(Program(), {});
        ASSERT_TRUE(start.waitForStarted(10000));
    }
    const bool both = WaitFor(
        [&] {
            return QString::fromUtf8(ReadFile(log)).count(QLatin1String("Main dialog initialized.")) == 2;
        },
        std::chrono::seconds(60));
    const bool running = starts[0].state() == QProcess::Running && starts[1].state() == QProcess::Running;
    for (QProcess& start : starts)
        EndProcess(start);
    ASSERT_TRUE(both) << ReadFile(log).toStdString();
    EXPECT_TRUE(running);
    EXPECT_TRUE(ReadFile(log).contains("No session bus")) << ReadFile(log).toStdString();
}

TEST_F(DesktopE2E, ABatchEndingUnseenIsNotifiedWithItsCountsAndOpensTheFolder) {
    FakeNotifications server;
    QDBusConnection fake =
        QDBusConnection::connectToBus(SessionBusTestEnvironment::Address(), "notifications");
    ASSERT_TRUE(fake.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                                    QDBusConnection::ExportAllSlots));
    const auto release = qScopeGuard([&] {
        fake.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        QDBusConnection::disconnectFromBus(QStringLiteral("notifications"));
    });
    // Every call the window sent before this one has reached the server.
    const auto roundTrip = [&] {
        QDBusPendingCallWatcher ping(QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("GetCapabilities"))));
        return WaitForGui([&] { return ping.isFinished(); });
    };

    CTrevaloDlg& window = Open();
    int batches = 0;
    QObject::connect(window.TaskList(), &DownloadTaskList::batchFinished, [&batches] { ++batches; });
    const auto runBatch = [&](const QStringList& ids) {
        window.TaskList()->RemoveAll();
        for (const QString& id : ids)
            window.TaskList()->AddUrlTask(Address(id));
        const int before = batches;
        window.TaskList()->StartAll();
        return WaitForGui([&] { return batches > before; }, std::chrono::seconds(90));
    };

    // The user works in another window meanwhile.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(WaitForGui([&] { return QApplication::activeWindow() == &elsewhere; }));
    // No notification server yet: the window goes on (the log says why nothing was shown).
    ASSERT_TRUE(runBatch({QStringLiteral("zvNormal002")}));
    ASSERT_TRUE(WaitForGui([&] { return LogMessages().join('\n').contains("No desktop notification"); }));

    ASSERT_TRUE(fake.registerService(QStringLiteral("org.freedesktop.Notifications")));
    ASSERT_TRUE(runBatch({QStringLiteral("zvNormal001"), QStringLiteral("zvMedia4041")}));
    ASSERT_TRUE(WaitForGui([&] { return server.shown.size() == 1; }))
        << LogMessages().join('\n').toStdString();
    EXPECT_EQ(server.shown[0].summary, QStringLiteral("Downloads finished"));
    EXPECT_EQ(server.shown[0].body.toStdString(), "Videos saved: 1. Failed: 1.");
    EXPECT_TRUE(server.shown[0].actions.contains(QStringLiteral("open-folder")));
    fake.send(QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                         QStringLiteral("org.freedesktop.Notifications"),
                                         QStringLiteral("ActionInvoked"))
              << uint(1) << QStringLiteral("open-folder"));
    ASSERT_TRUE(WaitForGui([&] { return !shell_.opened.isEmpty(); }));
    EXPECT_EQ(shell_.opened.last(), QUrl::fromLocalFile(window.TaskList()->OutputFolder()));

    // Seen ending: no notification.
    elsewhere.hide();
    window.activateWindow();
    ASSERT_TRUE(WaitForGui([&] { return QApplication::activeWindow() == &window; }));
    ASSERT_TRUE(runBatch({QStringLiteral("zvNormal002")}));
    ASSERT_TRUE(roundTrip());
    EXPECT_EQ(server.shown.size(), 1);
}

TEST_F(LanguageSwitchingFixture, ACopiedVideoAddressIsOfferedOnceInTheBarAndOtherTextIsIgnored) {
    Settings().WatchClipboard = 1;
    CTrevaloDlg& window = Open();
    ClipboardBar& bar = *window.Clipboard();
    ASSERT_TRUE(bar.IsWatching());
    QWidget* focused = QApplication::focusWidget();

    // Another program owns the clipboard, as a browser that copied a link.
    QProcess owner;
    const auto copy = [&](const QString& text) {
        EndProcess(owner);
        owner.start(QStringLiteral("xclip"),
                    {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
        if (!owner.waitForStarted(5000))
            return false;
        owner.write(text.toUtf8());
        owner.closeWriteChannel();
        return WaitForGui([&] { return bar.LastCopied() == text; });
    };
    const auto release = qScopeGuard([&] { EndProcess(owner); });
    const QString video = QStringLiteral("https://www.youtube.com/watch?v=zvNormal001&t=42");
    const struct {
        QString text;
        bool offered;
    } copies[] = {
        {QStringLiteral("a line of prose"), false},
        {QStringLiteral("https://www.youtube.com/"), false},
        {QStringLiteral("https://example.org/news/today.html"), false},
        {video, true},
    };
    for (const auto& c : copies) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(copy(c.text));
        EXPECT_EQ(bar.isVisible(), c.offered);
    }
    EXPECT_EQ(bar.Offered(), video);
    EXPECT_EQ(QApplication::focusWidget(), focused) << "the bar took the focus";
    EXPECT_TRUE(QApplication::activeModalWidget() == nullptr);
    EXPECT_TRUE(WaitForGui([&] { return CutTexts(&bar).isEmpty(); }))
        << CutTexts(&bar).join('|').toStdString();
    EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("clipboard-bar.png")));

    // German, as a user who switched the language meanwhile.
    ASSERT_TRUE(window.ExecuteCommand(LanguageCommand(QStringLiteral("de"))));
    EXPECT_EQ(bar.AddAndStartButton()->text(), QStringLiteral("Hinzufügen und starten"));
    EXPECT_TRUE(WaitForGui([&] { return CutTexts(&bar).isEmpty(); }))
        << CutTexts(&bar).join('|').toStdString();
    EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("clipboard-bar-de.png")));

    bar.DismissButton()->click();
    EXPECT_FALSE(bar.isVisible());
    ASSERT_TRUE(copy(QStringLiteral("something else")));
    ASSERT_TRUE(copy(video));
    EXPECT_FALSE(bar.isVisible()) << "a dismissed address came back";

    const QString other = QStringLiteral("http://www.youtube.com/watch?v=zvNormal002");
    ASSERT_TRUE(copy(other));
    ASSERT_TRUE(bar.isVisible());
    bar.AddButton()->click();
    EXPECT_FALSE(bar.isVisible());
    EXPECT_EQ(Ids(Rows()), other);
    EXPECT_EQ(Rows()->rowCount(), 1);
}

TEST_F(DesktopE2E, ARequestNoProgramAnswersIsSaidInTheStatusLine) {
    // The real shell on a desktop without any launcher on PATH.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(Path("empty-bin")));
    const bool opened = SystemShell::Instance().Open(QUrl(QStringLiteral("http://www.example.org/")));
    qputenv("PATH", path);
    EXPECT_FALSE(opened);

    CTrevaloDlg& window = Open();
    shell_.answers = false;
    ASSERT_TRUE(window.ExecuteCommand(CommandId::OpenOutputFolder));
    EXPECT_EQ(window.StatusText(),
              FillFormat(LoadText(TextId::NothingAnswered), {window.TaskList()->OutputFolder()}));
}

#include "test_desktop_e2e.moc"
