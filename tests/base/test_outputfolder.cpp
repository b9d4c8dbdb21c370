#include "base/OutputFolder.h"

#include "support/TempDirTest.h"

#include <QDir>

class OutputFolderTest : public TempDirTest {};

TEST_F(OutputFolderTest, CleansAndMakesAbsolute) {
    const QString home = Path("home");
    const QString temp = QDir::cleanPath(QDir::tempPath() + "/temp");
    const struct {
        QString in, out;
    } cases[] = {
        {"/srv/videos", "/srv/videos"},
        {"  /srv/videos/ \t", "/srv/videos"},
        {"/srv/videos\\/\\", "/srv/videos"},
        {"", temp},
        {"   ", temp},
        {"///", temp},
        {"/a*b?c\"d<e>f|g", "/a-b-c-d-e-f-g"},
        {"/a:b/c:d", "/a-b/c-d"},
        {"/a//b", "/a-/b"},
        {"/a///b", "/a--/b"},
        {"/a\\/b\\\\c", "/a-/b-/c"},
        {"\\srv\\videos", "/srv/videos"},
        {"relout", home + "/relout"},
        {"rel\\sub/x", home + "/rel/sub/x"},
        {"C:\\Videos", home + "/C-/Videos"},
        {"//server/share", home + "/-/server/share"},
        {"/50%1 off %2", "/50%1 off %2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeOutputFolder(c.in), c.out) << "input: " << c.in.toStdString();
}
