#include "history/SqliteResultSet.h"

#include "history/CppSQLite3Exception.h"

#include <sqlite3.h>

#include <utility>

SqliteResultSet::SqliteResultSet(sqlite3* db, sqlite3_stmt* statement, bool atEnd, bool ownsStatement)
    : db_(db), statement_(statement), atEnd_(atEnd), ownsStatement_(ownsStatement) {
    // Read once: the count cannot change while the statement lives.
    columnCount_ = statement_ ? sqlite3_column_count(statement_) : 0;
}

SqliteResultSet::SqliteResultSet(SqliteResultSet&& other) noexcept
    : db_(other.db_), statement_(std::exchange(other.statement_, nullptr)), atEnd_(other.atEnd_),
      columnCount_(other.columnCount_), ownsStatement_(other.ownsStatement_) {
    other.atEnd_ = true;
}

SqliteResultSet& SqliteResultSet::operator=(SqliteResultSet&& other) noexcept {
    if (this != &other) {
        Release();
        db_ = other.db_;
        statement_ = std::exchange(other.statement_, nullptr);
        atEnd_ = std::exchange(other.atEnd_, true);
        columnCount_ = other.columnCount_;
        ownsStatement_ = other.ownsStatement_;
    }
    return *this;
}

SqliteResultSet::~SqliteResultSet() {
    Release();
}

void SqliteResultSet::Release() noexcept {
    // A destructor must not throw; the caller that cares calls Finalize.
    if (statement_ && ownsStatement_)
        sqlite3_finalize(statement_);
    statement_ = nullptr;
}

void SqliteResultSet::CheckStatement() const {
    if (!statement_)
        throw CppSQLite3Exception(CppSQLite3Exception::kWrapperError, "Null Virtual Machine pointer");
}

void SqliteResultSet::CheckIndex(int index) const {
    CheckStatement();
    if (index < 0 || index >= columnCount_)
        throw CppSQLite3Exception(CppSQLite3Exception::kWrapperError, "Invalid field index requested");
}

void SqliteResultSet::Next() {
    CheckStatement();
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_DONE) {
        atEnd_ = true;
    } else if (rc != SQLITE_ROW) {
        const int finalRc = sqlite3_finalize(statement_);
        statement_ = nullptr;
        atEnd_ = true;
        throw CppSQLite3Exception(finalRc, sqlite3_errmsg(db_));
    }
}

const char* SqliteResultSet::ColumnText(int index) const {
    CheckIndex(index);
    return reinterpret_cast<const char*>(sqlite3_column_text(statement_, index));
}

int SqliteResultSet::ColumnInt(int index, int defaultValue) const {
    CheckIndex(index);
    if (sqlite3_column_type(statement_, index) == SQLITE_NULL)
        return defaultValue;
    return sqlite3_column_int(statement_, index);
}

void SqliteResultSet::Finalize() {
    if (!statement_ || !ownsStatement_) {
        statement_ = nullptr;
        return;
    }
    const int rc = sqlite3_finalize(statement_);
    statement_ = nullptr;
    atEnd_ = true;
    if (rc != SQLITE_OK)
        throw CppSQLite3Exception(rc, sqlite3_errmsg(db_));
}
