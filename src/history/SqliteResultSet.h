#pragma once
// The rows of one statement, positioned on the current row. Created by
// SqliteConnection::Query; owns its prepared statement and finalises it when
// destroyed (an error from that last finalisation is swallowed).

struct sqlite3;
struct sqlite3_stmt;

class SqliteResultSet {
  public:
    SqliteResultSet(sqlite3* db, sqlite3_stmt* statement, bool atEnd, bool ownsStatement = true);
    SqliteResultSet(SqliteResultSet&& other) noexcept;
    SqliteResultSet& operator=(SqliteResultSet&& other) noexcept;
    SqliteResultSet(const SqliteResultSet&) = delete;
    SqliteResultSet& operator=(const SqliteResultSet&) = delete;
    ~SqliteResultSet();

    bool AtEnd() const { return atEnd_; }
    // Steps to the next row; at the last row sets the end flag. Any other
    // outcome finalises the statement and throws CppSQLite3Exception.
    void Next();

    int ColumnCount() const { return columnCount_; }
    // UTF-8 text of a column of the current row; null for a NULL value.
    // Throws for an index outside 0..ColumnCount()-1 or after finalisation.
    const char* ColumnText(int index) const;
    // `defaultValue` for a NULL value, else the column as an integer.
    int ColumnInt(int index, int defaultValue = 0) const;

    // Finalises once; later calls do nothing. Throws on a finalisation error.
    void Finalize();

  private:
    void CheckStatement() const;
    void CheckIndex(int index) const;
    void Release() noexcept;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
    bool atEnd_ = true;
    int columnCount_ = 0;
    bool ownsStatement_ = true;
};
