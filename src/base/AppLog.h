#pragma once
// The logging facade: one plain-text log file shared by every thread.
//
// Threads: every function may be called from any thread. Each call formats
// into its own buffer and the file receives whole lines, one at a time. The
// diagnostic context is per thread.

#include <QString>

// A null category means "main". Narrow formats are printf formats over UTF-8
// text; messages are cut at 1023 characters.
void LogInfo(const char* category, const char* format, ...) __attribute__((format(printf, 2, 3)));
void LogWarn(const char* category, const char* format, ...) __attribute__((format(printf, 2, 3)));
void LogError(const char* category, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Wide variants take an already formatted text (QString::arg / asprintf),
// cut at 1023 characters and written as UTF-8.
void LogInfoW(const char* category, const QString& message);
void LogWarnW(const char* category, const QString& message);
void LogErrorW(const char* category, const QString& message);

void PushContext(const char* name);
void PopContext();

// Opens the log file (deleting it first when larger than 1 048 576 bytes)
// and writes the start banner. Safe to call again with another path.
void InitLog(const QString& path);
// Logs "Logger uninitialized." and closes the log.
void ShutdownLog();

// Pushes a diagnostic context for the lifetime of a scope.
class LogContextScope {
  public:
    explicit LogContextScope(const char* name) { PushContext(name); }
    ~LogContextScope() { PopContext(); }
    LogContextScope(const LogContextScope&) = delete;
    LogContextScope& operator=(const LogContextScope&) = delete;
};
