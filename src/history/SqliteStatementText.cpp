#include "history/SqliteStatementText.h"

#include "history/CppSQLite3Exception.h"

#include <sqlite3.h>

SqliteStatementText::~SqliteStatementText() {
    Clear();
}

void SqliteStatementText::Clear() {
    sqlite3_free(text_);
    text_ = nullptr;
}

const char* SqliteStatementText::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    try {
        FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
    return text_;
}

const char* SqliteStatementText::FormatV(const char* format, va_list args) {
    Clear();
    text_ = sqlite3_vmprintf(format, args);
    if (!text_)
        throw CppSQLite3Exception(SQLITE_NOMEM, "Unable to allocate memory");
    return text_;
}
