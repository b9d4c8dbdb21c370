// The main window's import-links command: OK adds every link found, in the
// order found; Cancel adds nothing; the browse button keeps the last pick.

#include "browser/gui/CImportLinksDlg.h"
#include "app/MainWindowFixture.h"
#include "app/tasklist/TaskListModel.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
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
