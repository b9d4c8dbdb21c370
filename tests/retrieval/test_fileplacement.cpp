// Putting a finished file in place: the temporary file is created
// exclusively, a name whose temporary file is in use is taken, and the move
// never replaces a file on either of its paths. Names keep page text as text.

#include "retrieval/FilePlacement.h"

#include "support/TempDirTest.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

using FilePlacementTest = TempDirTest;

TEST_F(FilePlacementTest, MoveNeverReplacesAFileOnEitherPath) {
    for (MoveMethod method : {MoveMethod::NoReplaceRename, MoveMethod::LinkThenUnlink}) {
        const QString folder = Path(method == MoveMethod::NoReplaceRename ? "rename" : "link");
        QDir().mkpath(folder);
        WriteFile(QFileInfo(folder).fileName() + "/Clip.flv", "theirs");
        const QString temp = WriteFile(QFileInfo(folder).fileName() + "/Clip.flv.qxt", "mine");

        QString to = folder + "/Clip.flv";
        ASSERT_TRUE(MoveWithoutReplacing(temp, to, method)) << folder.toStdString();
        EXPECT_EQ(to, folder + "/Clip_001.flv");
        EXPECT_EQ(ReadFile(folder + "/Clip.flv"), "theirs");
        EXPECT_EQ(ReadFile(to), "mine");
        EXPECT_FALSE(QFileInfo::exists(temp));

        // A free name is taken as it is.
        const QString second = WriteFile(QFileInfo(folder).fileName() + "/Other.flv.qxt", "second");
        QString free = folder + "/Other.flv";
        ASSERT_TRUE(MoveWithoutReplacing(second, free, method));
        EXPECT_EQ(free, folder + "/Other.flv");
        EXPECT_EQ(ReadFile(free), "second");
    }
}

TEST_F(FilePlacementTest, TemporaryFileIsExclusiveAndItsNameIsTaken) {
    QDir().mkpath(Path("out"));
    const QString temp = Path("out/same.flv.qxt");
    ASSERT_TRUE(CreateTemporaryFile(temp));
    errno = 0;
    EXPECT_FALSE(CreateTemporaryFile(temp)); // another download's file is never shared
    EXPECT_EQ(errno, EEXIST);
    // The download still running under that name keeps it.
    EXPECT_EQ(MakeUniquePath(Path("out"), "same", "flv"), Path("out/same_001.flv"));

    ReleaseTemporaryFile(temp, true);
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_EQ(MakeUniquePath(Path("out"), "same", "flv"), Path("out/same.flv"));

    // Forgetting a file it did not make deletes nothing.
    WriteFile("out/foreign.flv.qxt", "x");
    ReleaseTemporaryFile(Path("out/foreign.flv.qxt"), true);
    EXPECT_TRUE(QFileInfo::exists(Path("out/foreign.flv.qxt")));
}

// A temporary file nobody holds was left by a killed program: its name is
// free, and the next download takes the file over from its start.
TEST_F(FilePlacementTest, AnAbandonedTemporaryFileIsTakenOver) {
    const QString left = WriteFile("out/left.flv.qxt", "partial bytes");
    EXPECT_TRUE(TemporaryFileAbandoned(left));
    EXPECT_EQ(MakeUniquePath(Path("out"), "left", "flv"), Path("out/left.flv"));
    ASSERT_TRUE(CreateTemporaryFile(left));
    EXPECT_EQ(ReadFile(left), QByteArray());
    EXPECT_FALSE(TemporaryFileAbandoned(left)); // held now
    EXPECT_EQ(MakeUniquePath(Path("out"), "left", "flv"), Path("out/left_001.flv"));
    ReleaseTemporaryFile(left, true);
}

TEST_F(FilePlacementTest, PlaceholdersInATitleStayText) {
    QDir().mkpath(Path("out"));
    WriteFile("out/50%1 off.flv", "a");
    EXPECT_EQ(MakeUniquePath(Path("out"), "50%1 off", "flv"), Path("out/50%1 off_001.flv"));
    WriteFile("out/50%1 off_001.flv", "b");
    EXPECT_EQ(MakeUniquePath(Path("out"), "50%1 off", "flv"), Path("out/50%1 off_002.flv"));
    EXPECT_EQ(MakeUniquePath(Path("out"), "%2%1", "%3"), Path("out/%2%1.%3"));
}

class UniquePathTest : public TempDirTest {};

TEST_F(UniquePathTest, SkipsTakenNamesAndCreatesTheFolder) {
    const QString folder = Path("out/YouTube");
    EXPECT_EQ(MakeUniquePath(folder, "x", "flv"), folder + "/x.flv");
    WriteFile("out/YouTube/x.flv", "1");
    WriteFile("out/YouTube/x_001.flv", "2");
    EXPECT_EQ(MakeUniquePath(folder, "x", "flv"), folder + "/x_002.flv");
}

TEST_F(UniquePathTest, AllNamesTakenGivesNothingAndKeepsTheFiles) {
    const QString folder = Path("full");
    WriteFile("full/v.flv", "keep");
    for (int i = 1; i <= 999; ++i)
        WriteFile(QString("full/v_%1.flv").arg(i, 3, 10, QChar('0')), "keep");
    EXPECT_TRUE(MakeUniquePath(folder, "v", "flv").isEmpty());
    EXPECT_EQ(ReadFile(folder + "/v_999.flv"), QByteArray("keep"));
}
