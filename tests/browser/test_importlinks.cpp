// The main window's import-links command: OK adds every link found, in the
// order found; Cancel adds nothing; the browse button keeps the last pick; a
// slow page can be cancelled while the window goes on; a full list stops the
// import with one message.

#include "app/MainWindowFixture.h"
#include "app/tasklist/TaskListModel.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "browser/gui/CImportLinksDlg.h"
#include "support/LoopbackServer.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QTimer>

namespace {
constexpr int kCmdImportLinks = 32854;
}

class ImportLinksTest : public MainWindowFixture {
  protected:
    QStringList Locations() const {
        QStringList out;
        const TaskListModel& model = *window_->TaskList()->Model();
        for (int row = 0; row < model.TaskCount(); ++row)
            out << model.Task(row)->location;
        return out;
    }
    // Opens the import dialog, sets the address and presses OK; `during`
    // runs from the window's event loop while the import is under way.
    void Import(CTrevaloDlg& window, const QString& address,
                std::function<void(CImportLinksDlg*)> during = {}) {
        WhenModalOpens(&window, [=] {
            auto* dialog = qobject_cast<CImportLinksDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->AddressEdit()->setText(address);
            if (during)
                QTimer::singleShot(0, dialog, [=] { during(dialog); });
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        ASSERT_TRUE(window.ExecuteCommand(kCmdImportLinks));
    }
};

TEST_F(ImportLinksTest, OkAddsEveryLinkInOrderAndCancelAddsNothing) {
    CTrevaloDlg& window = Open();
    const QString page =
        WriteFile("saved.html", "<a href=\"http://video.google.com/videoplay?docid=1234567890123456789\">"
                                "g</a> /watch?v=zvNormal001 /watch?v=zvCaptcha01&x=1");
    const QString other = WriteFile("other.txt", "/watch?v=zvOther0001");
    struct Case {
        bool ok;
        QStringList rows;
    };
    const Case cases[] = {
        {false, {}},
        {true,
         {Address("zvNormal001"), Address("zvCaptcha01"),
          "http://video.google.com/videoplay?docid=1234567890123456789"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ok);
        QString filter;
        QString shown;
        WhenModalOpens(&window, [&] {
            auto* dialog = qobject_cast<CImportLinksDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->pickFiles = [&](QWidget*, const QString& f) {
                filter = f;
                return QStringList{other, page};
            };
            dialog->BrowseButton()->click();
            shown = dialog->AddressEdit()->text();
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            buttons->button(c.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        ASSERT_TRUE(window.ExecuteCommand(kCmdImportLinks));
        EXPECT_EQ(shown, page);
        EXPECT_TRUE(filter.startsWith("Text/HTML Files (all types) (*.txt *.html *.htm);;"))
            << filter.toStdString();
        EXPECT_EQ(Locations(), c.rows);
    }
    EXPECT_TRUE(prompts_.messages.isEmpty());
}

TEST_F(ImportLinksTest, CancelEndsASlowFetchWithinASecondWhileTheWindowGoesOn) {
    LoopbackServer server;
    server.ServeSlow("/slow", 50, 1, 100); // ten bytes a second: five seconds in all
    CTrevaloDlg& window = Open();
    QSet<QString> labels; // what the progress dialog showed
    QElapsedTimer sinceCancel;
    Import(window, server.Url("/slow"), [&](CImportLinksDlg* dialog) {
        auto* progress = dialog->findChild<QProgressDialog*>();
        ASSERT_NE(progress, nullptr);
        ASSERT_TRUE(WaitForGui([&] {
            labels.insert(progress->labelText());
            return progress->isVisible() && labels.size() >= 3;
        }));
        progress->findChild<QPushButton*>()->click();
        sinceCancel.start();
    });
    ASSERT_TRUE(sinceCancel.isValid());
    EXPECT_LT(sinceCancel.elapsed(), 1000);
    EXPECT_TRUE(labels.contains(FillFormat(LoadText(TextId::ImportReceived), {"0"})));
    EXPECT_TRUE(Locations().isEmpty());
    EXPECT_TRUE(prompts_.messages.isEmpty());
}

TEST_F(ImportLinksTest, AFullListStopsTheImportWithOneMessage) {
    CTrevaloDlg& window = Open();
    QByteArray page;
    for (int i = 0; i < 70000; ++i)
        page += "/watch?v=v" + QByteArray::number(i) + (i < 10 ? " /watch?v=v0\n" : "\n"); // ten repeats
    Import(window, WriteFile("many.txt", page));
    EXPECT_EQ(window_->TaskList()->Model()->TaskCount(), TaskListModel::kMaxRows);
    EXPECT_EQ(window_->TaskList()->Model()->Task(1)->location, Address("v1"));
    const QString full = FillFormat(LoadText(TextId::ImportTaskListFull), {"65535", "4465"});
    EXPECT_EQ(prompts_.messages, QStringList{full});
    EXPECT_EQ(LogMessages().filter("full").size(), 1);
}
