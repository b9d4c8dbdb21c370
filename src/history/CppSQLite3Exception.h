#pragma once
// A database failure: the SQLite (or wrapper) result code and a message of the
// form "<code name>[<code>]: <detail>". The message text is allocated by
// SQLite's formatter and released with it.

#include <exception>

class CppSQLite3Exception : public std::exception {
  public:
    // Code for failures the wrapper itself detects (closed connection,
    // finalised statement, bad column index, empty scalar query).
    static constexpr int kWrapperError = 1000;

    // `detail` may be null (an empty detail).
    CppSQLite3Exception(int code, const char* detail);
    // When `freeDetail` is set the detail was allocated by SQLite
    // (sqlite3_exec's error text) and is released once the message is made.
    CppSQLite3Exception(int code, char* detail, bool freeDetail);
    CppSQLite3Exception(const CppSQLite3Exception& other);
    CppSQLite3Exception& operator=(const CppSQLite3Exception& other);
    ~CppSQLite3Exception() override;

    int ErrorCode() const { return code_; }
    // Never null: an empty text when the formatter could not allocate.
    const char* ErrorMessage() const { return message_ ? message_ : ""; }
    const char* what() const noexcept override { return ErrorMessage(); }

    // "SQLITE_OK" ... "SQLITE_RANGE" for 0 to 25, "SQLITE_ROW", "SQLITE_DONE",
    // "CPPSQLITE_ERROR" for 1000, "UNKNOWN_ERROR" for anything else.
    static const char* ErrorCodeAsString(int code);

  private:
    void Format(const char* detail);

    int code_;
    char* message_ = nullptr;
};
