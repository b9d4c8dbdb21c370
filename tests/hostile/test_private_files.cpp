// The log and the history name every address the user fetched (and, after a
// failed sign-in, the account): both are the user's only, whether this run
// makes them or an older one left them readable to others.
#include "base/AppLog.h"
#include "history/HistoryDb.h"
#include "history/SqliteConnection.h"
#include "support/TempDirTest.h"

#include <QFile>

#include <sys/stat.h>

class PrivateFiles : public TempDirTest {};

TEST_F(PrivateFiles, LogAndHistoryAreTheUsersOnly) {
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    const struct {
        const char* name;
        bool existing; // left 0644 by an older run
    } cases[] = {{"ruzivar.log", false}, {"ruzivar.log", true}, {"history.db", false}, {"history.db", true}};
    ::umask(022);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.existing ? " (existing)" : " (new)"));
        const QString path = Path(QLatin1String(c.name));
        QFile::remove(path);
        if (c.existing) {
            WriteFile(QLatin1String(c.name), QByteArray());
            ASSERT_TRUE(QFile::setPermissions(path, ownerOnly | QFile::ReadGroup | QFile::ReadOther));
        }
        if (QLatin1String(c.name) == QLatin1String("ruzivar.log")) {
            InitLog(path);
            ShutdownLog();
        } else {
            std::unique_ptr<SqliteConnection> db;
            ASSERT_EQ(OpenHistoryDB(db, path), 1);
        }
        EXPECT_EQ(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), ownerOnly);
    }
}
