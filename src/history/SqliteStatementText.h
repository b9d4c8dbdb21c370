#pragma once
// One statement text produced by SQLite's printf-style formatter ("%Q" quotes
// a text and doubles its single quotes, "%q" only doubles them). Values must
// match their conversions exactly: "%ld" takes a long, "%Q" a UTF-8 char*.

#include <cstdarg>

class SqliteStatementText {
  public:
    SqliteStatementText() = default;
    ~SqliteStatementText();
    SqliteStatementText(const SqliteStatementText&) = delete;
    SqliteStatementText& operator=(const SqliteStatementText&) = delete;

    // Releases the previous text, then formats a new one. Throws
    // CppSQLite3Exception (SQLITE_NOMEM) when the formatter cannot allocate.
    const char* Format(const char* format, ...);
    const char* FormatV(const char* format, va_list args);

    const char* Text() const { return text_; }
    operator const char*() const { return text_; }
    void Clear();

  private:
    char* text_ = nullptr;
};
