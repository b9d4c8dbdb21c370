#pragma once
// One connection to an SQLite database file. Statements are UTF-8 texts,
// best formatted with SqliteStatementText so values are quoted by SQLite.
// Every operation throws CppSQLite3Exception on failure. Destroying the
// connection closes it.
//
// Threads: a connection belongs to the thread that opened it (the
// user-interface thread for the history); other processes holding the file
// are waited for by the busy time-out.

#include "history/SqliteResultSet.h"

struct sqlite3;

class SqliteConnection {
  public:
    static constexpr int kDefaultBusyTimeoutMs = 60000;

    SqliteConnection() = default;
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens (creating when missing) the file at the UTF-8 `path`, then sets
    // the busy time-out. A connection already open is closed first.
    void Open(const char* path);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    // Applied at once when open, and by every later Open.
    void SetBusyTimeout(int milliseconds);
    int BusyTimeout() const { return busyTimeoutMs_; }

    bool HasTable(const char* name);
    // Runs one or more statements without a result; returns the number of
    // rows the last one changed.
    int Execute(const char* statement);
    // Prepares the statement and steps to its first row.
    SqliteResultSet Query(const char* statement);
    // The first column of the first row as a decimal integer (leading
    // digits; 0 when there are none). Throws when there is no row.
    int QueryInt(const char* statement);

  private:
    void CheckDb() const;

    sqlite3* db_ = nullptr;
    int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
};
