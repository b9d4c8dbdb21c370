// Output names: cleaning, the byte limits of a file-name component and of a
// whole path, and the message for a folder too long for any name.

#include "retrieval/MetaCafeExtractor.h"

#include "support/RecordingContext.h"
#include "support/RecordingPrompts.h"
#include "support/TempDirTest.h"

#include <QFile>

class FileNameTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        SetUserPrompts(&prompts_);
        p_.owner = &context_;
        p_.videoId = "vid42";
    }
    void TearDown() override {
        SetUserPrompts(nullptr);
        TempDirTest::TearDown();
    }
    RecordingPrompts prompts_;
    RecordingContext context_;
    MetaCafeExtractor p_;
    QString final_, temp_;
};

TEST_F(FileNameTest, TitleOrIdInTheSiteFolder) {
    p_.title = "a:b/c?d*e\"f<g>h|i\\j";
    ASSERT_EQ(p_.MakeFileName(Path("out") + "/ ", 1, final_, temp_), 1);
    EXPECT_EQ(final_, Path("out/MetaCafe/a_b_c_d_e_f_g_h_i_j.flv"));
    EXPECT_EQ(temp_, final_ + ".qxt");
    ASSERT_EQ(p_.MakeFileName(Path("out"), 0, final_, temp_), 1);
    EXPECT_EQ(final_, Path("out/MetaCafe/vid42.flv"));
}

TEST_F(FileNameTest, LongTitleIsCutToFitOneComponentWithSuffixes) {
    // Three-byte characters: the cut must land on a character boundary.
    p_.title = QString(200, QChar(0x6F22));
    ASSERT_EQ(p_.MakeFileName(Path("out"), 1, final_, temp_), 1);
    const QString component = temp_.section('/', -1);
    const QByteArray utf8 = component.toUtf8();
    EXPECT_LE(utf8.size() + 4, 255); // room left for "_NNN"
    EXPECT_GT(utf8.size() + 4, 255 - 3);
    EXPECT_TRUE(component.endsWith(".flv.qxt"));
    EXPECT_FALSE(component.contains(QChar::ReplacementCharacter));
    EXPECT_TRUE(prompts_.Texts().isEmpty());
}

TEST_F(FileNameTest, FolderTooLongForAnyNameIsReported) {
    // "/MetaCafe" and the shortest name no longer fit in the path limit.
    const QString deep = "/" + QString(4080, 'd');
    EXPECT_EQ(p_.MakeFileName(deep, 1, final_, temp_), 0);
    ASSERT_EQ(prompts_.Texts().size(), 1);
    EXPECT_EQ(prompts_.Texts()[0],
              "File name exceed max length, please change the output folder to a shorten one!");
    EXPECT_EQ(context_.lastError, prompts_.Texts()[0]);

    // A folder that leaves a little room gets a name cut to fit.
    p_.title = "abcdefghijklmnopqrstuvwxyz";
    const QString tight = "/" + QString(4060, 'f');
    ASSERT_EQ(p_.MakeFileName(tight, 1, final_, temp_), 1);
    EXPECT_EQ(temp_.toUtf8().size() + 4, 4095); // with "_NNN" it is exactly at the limit
    EXPECT_TRUE(final_.endsWith("/MetaCafe/abcdefghijkl.flv"));
}

TEST_F(FileNameTest, TitleNeverGivesAHiddenOrUnopenableName) {
    // A title made only of dots, or starting with one, would give a hidden
    // file that the user never finds in the folder.
    for (const QString& title : {QString(".."), QString("."), QString(".profile")}) {
        p_.title = title;
        ASSERT_EQ(p_.MakeFileName(Path("out"), 1, final_, temp_), 1) << title.toStdString();
        const QString name = final_.section('/', -1);
        EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
        EXPECT_EQ(final_.section('/', 0, -2), Path("out/MetaCafe"));
    }
    p_.title = "..";
    ASSERT_EQ(p_.MakeFileName(Path("out"), 1, final_, temp_), 1);
    EXPECT_EQ(final_.toStdString(), Path("out/MetaCafe/__.flv").toStdString());

    // A NUL (a decoded "%00") makes every open fail; line breaks and other
    // control characters make a name no shell or file manager shows whole.
    p_.title = QString("a") + QChar(0) + "b\nc\td" + QChar(0x7F) + "e";
    ASSERT_EQ(p_.MakeFileName(Path("out"), 1, final_, temp_), 1);
    EXPECT_EQ(final_.toStdString(), Path("out/MetaCafe/a_b_c_d_e.flv").toStdString());
    QFile file(temp_);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
}
