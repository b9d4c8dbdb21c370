// The add-addresses dialog: only its buttons close it, its paste replaces
// the whole text, and OK hands back every line in order.

#include "app/tasklist/TaskListHarness.h"

#include "app/AddUrlDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

TEST(AddUrlDialog, OnlyItsButtonsCloseItAndOkHandsBackEveryLine) {
    EnsureApplication();
    AddUrlDlg dialog;
    dialog.show();
    QPlainTextEdit* text = dialog.TextArea();
    text->setFocus();
    QTest::keyClicks(text, "http://a.example/1");
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, "http://b.example/2");
    QTest::keyClick(text, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(dialog.Lines(), (QStringList{"http://a.example/1", "http://b.example/2"}));

    // Its paste takes the clipboard's text in place of what was typed.
    QApplication::clipboard()->setText("http://c.example/3\nftp://d.example/4");
    text->paste();
    EXPECT_EQ(dialog.Lines(), (QStringList{"http://c.example/3", "ftp://d.example/4"}));

    // For review: the dialog as the user sees it.
    const QString folder = qEnvironmentVariable("ZORV_TEST_BINARY_DIR") + QStringLiteral("/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/add-addresses.png")));

    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}
