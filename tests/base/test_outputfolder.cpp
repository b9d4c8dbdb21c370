#include "base/OutputFolder.h"

#include "base/AppSettings.h"

#include "support/TempDirTest.h"

#include <QDir>

class OutputFolderTest : public TempDirTest {};

TEST_F(OutputFolderTest, KeepsTheNameAsTypedOnlyAbsoluteAndClean) {
    // Only '/' is special in a Linux path: colons, stars and backslashes are
    // part of the user's folder name.
    const QString home = Path("home");
    const QString fallback = AppSettings::DefaultOutputFolder();
    const struct {
        QString in, out;
    } cases[] = {
        {"/srv/videos", "/srv/videos"},
        {"  /srv/videos/ \t\n", "/srv/videos"},
        {"/srv/videos\\/\\", "/srv/videos\\/\\"},
        {"", fallback},
        {"   ", fallback},
        {"///", fallback},
        {"/a*b?c\"d<e>f|g", "/a*b?c\"d<e>f|g"},
        {"/home/u/a:b", "/home/u/a:b"},
        {"/a//b///c", "/a/b/c"},
        {"/a/./b/../c", "/a/c"},
        {"relout", home + "/relout"},
        {"~", home},
        {"~/clips", home + "/clips"},
        {"C:\\Videos", home + "/C:\\Videos"},
        {"/50%1 off %2", "/50%1 off %2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeOutputFolder(c.in), c.out) << "input: " << c.in.toStdString();
}
