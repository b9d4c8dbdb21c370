#include "history/CppSQLite3Exception.h"

#include <sqlite3.h>

#include <array>

const char* CppSQLite3Exception::ErrorCodeAsString(int code) {
    // The primary result codes by their symbolic names. Later codes (26 and
    // up) were unknown when stored messages got their form, so they stay
    // unnamed.
    static constexpr std::array<const char*, 26> kPrimary = {
        "SQLITE_OK",       "SQLITE_ERROR",   "SQLITE_INTERNAL", "SQLITE_PERM",     "SQLITE_ABORT",
        "SQLITE_BUSY",     "SQLITE_LOCKED",  "SQLITE_NOMEM",    "SQLITE_READONLY", "SQLITE_INTERRUPT",
        "SQLITE_IOERR",    "SQLITE_CORRUPT", "SQLITE_NOTFOUND", "SQLITE_FULL",     "SQLITE_CANTOPEN",
        "SQLITE_PROTOCOL", "SQLITE_EMPTY",   "SQLITE_SCHEMA",   "SQLITE_TOOBIG",   "SQLITE_CONSTRAINT",
        "SQLITE_MISMATCH", "SQLITE_MISUSE",  "SQLITE_NOLFS",    "SQLITE_AUTH",     "SQLITE_FORMAT",
        "SQLITE_RANGE"};
    if (code >= 0 && code < static_cast<int>(kPrimary.size()))
        return kPrimary[code];
    switch (code) {
    case SQLITE_ROW:
        return "SQLITE_ROW";
    case SQLITE_DONE:
        return "SQLITE_DONE";
    case kWrapperError:
        return "CPPSQLITE_ERROR";
    default:
        return "UNKNOWN_ERROR";
    }
}

CppSQLite3Exception::CppSQLite3Exception(int code, char* detail, bool freeDetail) : code_(code) {
    Format(detail);
    if (freeDetail && detail)
        sqlite3_free(detail);
}

CppSQLite3Exception::CppSQLite3Exception(int code, const char* detail) : code_(code) {
    Format(detail);
}

CppSQLite3Exception::CppSQLite3Exception(const CppSQLite3Exception& other) : code_(other.code_) {
    if (other.message_)
        message_ = sqlite3_mprintf("%s", other.message_);
}

CppSQLite3Exception& CppSQLite3Exception::operator=(const CppSQLite3Exception& other) {
    if (this != &other) {
        char* copy = other.message_ ? sqlite3_mprintf("%s", other.message_) : nullptr;
        sqlite3_free(message_);
        message_ = copy;
        code_ = other.code_;
    }
    return *this;
}

CppSQLite3Exception::~CppSQLite3Exception() {
    sqlite3_free(message_);
}

void CppSQLite3Exception::Format(const char* detail) {
    message_ = sqlite3_mprintf("%s[%d]: %s", ErrorCodeAsString(code_), code_, detail ? detail : "");
}
