// Inserts history rows until it is killed. After each committed insertion it
// prints the row's number on its own line, so the parent knows which rows
// must survive the kill. Usage: history_crash_child RUN_TAG
#include "history/HistoryDb.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    std::unique_ptr<SqliteConnection> db;
    if (!OpenHistoryDB(db))
        return 3;
    std::printf("open\n");
    std::fflush(stdout);
    for (int i = 0; i < 1000000; ++i) {
        DownloadTask task;
        task.location = QStringLiteral("/crash/%1_%2.flv").arg(QString::fromUtf8(argv[1])).arg(i);
        task.pageUrl = QStringLiteral("http://www.youtube.com/watch?v=%1").arg(i);
        task.site = i % 4;
        task.lengthMs = task.markOutMs = 1000 * i;
        task.videoFormat = QStringLiteral("flv1");
        if (InsertHistory(db.get(), task) != 1)
            return 4;
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}
