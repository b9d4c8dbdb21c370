#include "history/SqliteConnection.h"

#include "history/CppSQLite3Exception.h"

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The history names every address the user fetched: its file is the user's
// only, made so before SQLite creates it, and tightened when an older run
// left it readable to others. SQLite gives its journal the file's mode.
void MakeOwnerOnly(const char* path) {
    if (!path || !*path || std::strcmp(path, ":memory:") == 0 || std::strncmp(path, "file:", 5) == 0)
        return;
    const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return; // SQLite's own open reports what is wrong
    struct stat info {};
    if (::fstat(fd, &info) == 0 && (info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        (void)::fchmod(fd, info.st_mode & S_IRWXU);
    ::close(fd);
}
} // namespace

SqliteConnection::~SqliteConnection() {
    Close();
}

void SqliteConnection::Close() {
    if (db_) {
        // Result sets finalise their own statements; close_v2 defers the
        // close until the last of them is gone instead of failing.
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void SqliteConnection::Open(const char* path) {
    Close();
    MakeOwnerOnly(path);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(path, &db);
    if (rc != SQLITE_OK) {
        // sqlite3_open hands back a handle even when it fails; it must be
        // closed after its message has been copied.
        CppSQLite3Exception error(rc, db ? sqlite3_errmsg(db) : "");
        sqlite3_close(db);
        throw error;
    }
    db_ = db;
    SetBusyTimeout(busyTimeoutMs_);
}

void SqliteConnection::SetBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds;
    if (db_)
        sqlite3_busy_timeout(db_, busyTimeoutMs_);
}

void SqliteConnection::CheckDb() const {
    if (!db_)
        throw CppSQLite3Exception(CppSQLite3Exception::kWrapperError, "Database not open");
}

bool SqliteConnection::HasTable(const char* name) {
    char sql[128];
    sqlite3_snprintf(sizeof sql, sql, "select count(*) from sqlite_master where type='table' and name='%q'",
                     name);
    return QueryInt(sql) > 0;
}

int SqliteConnection::Execute(const char* statement) {
    CheckDb();
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, statement, nullptr, nullptr, &error);
    if (rc != SQLITE_OK)
        throw CppSQLite3Exception(rc, error, true);
    return sqlite3_changes(db_);
}

SqliteResultSet SqliteConnection::Query(const char* statement) {
    CheckDb();
    sqlite3_stmt* stmt = nullptr;
    const int prepared = sqlite3_prepare_v2(db_, statement, -1, &stmt, nullptr);
    if (prepared != SQLITE_OK)
        // SQLite's own text says what is wrong ("no such table: history").
        throw CppSQLite3Exception(prepared, sqlite3_errmsg(db_));
    if (!stmt)
        // An empty or comment-only statement prepares to nothing.
        return SqliteResultSet(db_, nullptr, true);
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE)
        return SqliteResultSet(db_, stmt, true);
    if (rc == SQLITE_ROW)
        return SqliteResultSet(db_, stmt, false);
    const int finalRc = sqlite3_finalize(stmt);
    throw CppSQLite3Exception(finalRc, sqlite3_errmsg(db_));
}

int SqliteConnection::QueryInt(const char* statement) {
    SqliteResultSet rows = Query(statement);
    if (rows.AtEnd() || rows.ColumnCount() < 1)
        throw CppSQLite3Exception(CppSQLite3Exception::kWrapperError, "Invalid scalar query");
    const char* text = rows.ColumnText(0);
    return text ? static_cast<int>(std::strtol(text, nullptr, 10)) : 0;
}
