// The update dialog against the simulated update host: the three results of
// a check started from the dialog, and closing it while a check still runs.

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "support/SimulatorSuite.h"
#include "support/gui/GuiTestSupport.h"
#include "ui/GuiMessageTarget.h"
#include "update/gui/CCheckUpdateDlg.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Counts the result messages that reach the object it filters.
class PostCounter : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == PostedMessageEvent::EventType())
            ++count;
        return QObject::eventFilter(watched, event);
    }
    int count = 0;
};
} // namespace

class UpdateDialogTest : public SimulatorSuite {
  protected:
    void SetUp() override {
        SimulatorSuite::SetUp();
        TestApp();
        qputenv("ZORV_CONNECT_TO", sim_->ConnectToValue().toUtf8());
        sim_->SetVersionFile(VersionFileMode::Misspelt);
        InitLog(Path("ruzivar.log"));
    }
    void TearDown() override {
        ShutdownLog();
        SimulatorSuite::TearDown();
    }

    // Opens the dialog in its check-now form for version 1.0.8 and waits
    // until `done` holds for it.
    template <typename Done> std::unique_ptr<CCheckUpdateDlg> CheckNow(Done done) {
        auto dialog = std::make_unique<CCheckUpdateDlg>(true, VersionTriple{1, 0, 8});
        dialog->show();
        EXPECT_FALSE(Line(*dialog, CCheckUpdateDlg::kLatestId)->isVisible());
        EXPECT_TRUE(WaitForGui([&] { return done(*dialog); }, std::chrono::seconds(30)))
            << LogText().toStdString();
        return dialog;
    }
    static QLabel* Line(const CCheckUpdateDlg& dialog, int id) { return dialog.Control(id); }
    QString LogText() const { return QString::fromUtf8(ReadFile(Path("ruzivar.log"))); }
    static QString Product() { return TranslateText(QLatin1String(kProductName)); }
};

TEST_F(UpdateDialogTest, NewerVersionShowsTheHomePageTheLatestVersionAndTheStatus) {
    sim_->SetPublishedVersion(QStringLiteral("1.1.0"));
    auto dialog =
        CheckNow([](const CCheckUpdateDlg& d) { return Line(d, CCheckUpdateDlg::kLatestId)->isVisible(); });
    EXPECT_EQ(dialog->windowTitle(), FillFormat(LoadText(251), {Product()}));
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kHeadingId)->text(), FillFormat(LoadText(250), {Product()}));
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kCurrentId)->text(), FillFormat(LoadText(255), {"1.0.8"}));
    QLabel* link = Line(*dialog, CCheckUpdateDlg::kLinkId);
    EXPECT_TRUE(link->isVisible());
    EXPECT_TRUE(link->text().contains(QStringLiteral("href=\"http://www.quillmere.example/\"")));
    EXPECT_TRUE(Line(*dialog, CCheckUpdateDlg::kLatestId)->isVisible());
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kLatestId)->text(), FillFormat(LoadText(253), {"1.1.0"}));
    EXPECT_TRUE(Line(*dialog, CCheckUpdateDlg::kStatusId)->isVisible());
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kStatusId)->text(), LoadText(256));

    const QString folder = qEnvironmentVariable("ZORV_TEST_BINARY_DIR") + QStringLiteral("/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(dialog->grab().save(folder + QStringLiteral("/update.png")));
}

TEST_F(UpdateDialogTest, SameVersionSaysItIsTheLatestWithoutTheLink) {
    sim_->SetPublishedVersion(QStringLiteral("1.0.8"));
    auto dialog =
        CheckNow([](const CCheckUpdateDlg& d) { return Line(d, CCheckUpdateDlg::kLatestId)->isVisible(); });
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kStatusId)->text(), LoadText(254));
    EXPECT_TRUE(Line(*dialog, CCheckUpdateDlg::kStatusId)->isVisible());
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kLatestId)->text(), FillFormat(LoadText(253), {"1.0.8"}));
    EXPECT_FALSE(Line(*dialog, CCheckUpdateDlg::kLinkId)->isVisible());
}

TEST_F(UpdateDialogTest, FailedCheckChangesTheHeading) {
    qputenv("ZORV_CONNECT_TO", "update.quillmere.example:80:127.0.0.1:1");
    auto dialog = CheckNow([](const CCheckUpdateDlg& d) {
        return Line(d, CCheckUpdateDlg::kHeadingId)->text() == FillFormat(LoadText(252), {Product()});
    });
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kHeadingId)->text(), FillFormat(LoadText(252), {Product()}));
    EXPECT_FALSE(Line(*dialog, CCheckUpdateDlg::kLinkId)->isVisible());
    EXPECT_FALSE(Line(*dialog, CCheckUpdateDlg::kLatestId)->isVisible());
}

TEST_F(UpdateDialogTest, ClosingWhileTheCheckRunsDropsItsResult) {
    // A host that takes the connection and never answers, until it closes.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    qputenv("ZORV_CONNECT_TO", QByteArray("update.quillmere.example:80:127.0.0.1:") +
                                   QByteArray::number(ntohs(address.sin_port)));

    auto dialog = std::make_unique<CCheckUpdateDlg>(true, VersionTriple{1, 0, 8});
    PostCounter posts;
    dialog->installEventFilter(&posts);
    dialog->show();
    EXPECT_TRUE(WaitFor([&] { return LogText().contains(QStringLiteral("Downloading file from url")); }));
    dialog->reject();
    ::close(listener); // the check now fails, with nobody to tell
    ASSERT_TRUE(WaitForGui([&] { return LogText().contains(QStringLiteral("Check new version failed.")); },
                           std::chrono::seconds(30)));
    // The check posts before it logs: a result it still posted is queued now.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(posts.count, 0);
    EXPECT_EQ(Line(*dialog, CCheckUpdateDlg::kHeadingId)->text(),
              QStringLiteral("Checking for a new version of %1...").arg(Product()));
    EXPECT_FALSE(Line(*dialog, CCheckUpdateDlg::kStatusId)->isVisibleTo(dialog.get()));
    EXPECT_FALSE(Line(*dialog, CCheckUpdateDlg::kLatestId)->isVisibleTo(dialog.get()));
    dialog.reset();
    QCoreApplication::processEvents();
}
