#include "base/AppLog.h"

#include "base/TTCLayout.h"

#include <log4cpp/Category.hh>
#include <log4cpp/FileAppender.hh>
#include <log4cpp/NDC.hh>
#include <log4cpp/Priority.hh>

#include <QFile>
#include <QFileInfo>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace {
constexpr int kMaxMessage = 1023;
constexpr qint64 kMaxLogSize = 1048576;

// Serialises appends so lines of different threads never interleave, and
// guards the appender while it is replaced or closed.
std::mutex g_logMutex;
bool g_open = false;

log4cpp::Category& CategoryFor(const char* category) {
    return log4cpp::Category::getInstance(category && *category ? category : "main");
}

void Write(const char* category, log4cpp::Priority::Value priority, const std::string& text) {
    std::lock_guard lock(g_logMutex);
    if (!g_open)
        return;
    CategoryFor(category).log(priority, text);
}

std::string FormatNarrow(const char* format, va_list args) {
    char buffer[kMaxMessage + 1];
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0)
        return {};
    std::string text(buffer, static_cast<size_t>(std::min(n, kMaxMessage)));
    // Never leave half a UTF-8 sequence at the cut.
    if (n > kMaxMessage) {
        size_t end = text.size();
        size_t i = end;
        while (i > 0 && (static_cast<unsigned char>(text[i - 1]) & 0xC0) == 0x80)
            --i;
        if (i > 0 && static_cast<unsigned char>(text[i - 1]) >= 0xC0) {
            unsigned char lead = static_cast<unsigned char>(text[i - 1]);
            size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            if (end - (i - 1) < need)
                text.resize(i - 1);
        }
    }
    return text;
}

std::string CutWide(const QString& message) {
    QString text = message.size() > kMaxMessage ? message.left(kMaxMessage) : message;
    if (text.size() == kMaxMessage && text.back().isHighSurrogate())
        text.chop(1);
    return text.toStdString();
}
} // namespace

#define ZORV_LOG_NARROW(priority)                                                                            \
    va_list args;                                                                                            \
    va_start(args, format);                                                                                  \
    std::string text = FormatNarrow(format, args);                                                           \
    va_end(args);                                                                                            \
    Write(category, priority, text)

void LogInfo(const char* category, const char* format, ...) {
    ZORV_LOG_NARROW(log4cpp::Priority::INFO);
}
void LogWarn(const char* category, const char* format, ...) {
    ZORV_LOG_NARROW(log4cpp::Priority::WARN);
}
void LogError(const char* category, const char* format, ...) {
    ZORV_LOG_NARROW(log4cpp::Priority::ERROR);
}

void LogInfoW(const char* category, const QString& message) {
    Write(category, log4cpp::Priority::INFO, CutWide(message));
}
void LogWarnW(const char* category, const QString& message) {
    Write(category, log4cpp::Priority::WARN, CutWide(message));
}
void LogErrorW(const char* category, const QString& message) {
    Write(category, log4cpp::Priority::ERROR, CutWide(message));
}

void PushContext(const char* name) {
    log4cpp::NDC::push(name ? name : "");
}
void PopContext() {
    log4cpp::NDC::pop();
}

void InitLog(const QString& path) {
    {
        std::lock_guard lock(g_logMutex);
        QFileInfo info(path);
        if (info.exists() && info.size() > kMaxLogSize)
            QFile::remove(path);
        log4cpp::Category& root = log4cpp::Category::getRoot();
        root.removeAllAppenders();
        // The log names every address fetched and, after a failed sign-in,
        // the account: only its user may read it, a file of an older run too.
        auto* appender = new log4cpp::FileAppender("default", QFile::encodeName(path).toStdString(),
                                                   /*append=*/true, /*mode=*/0600);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        appender->setLayout(new TTCLayout());
        root.addAppender(appender);
        root.setPriority(log4cpp::Priority::INFO);
        g_open = true;
    }
    LogInfo("main", "%s", std::string(75, '-').c_str());
    LogInfo("main", "Logger initialized.");
}

void ShutdownLog() {
    LogInfo("main", "Logger uninitialized.");
    std::lock_guard lock(g_logMutex);
    g_open = false;
    log4cpp::Category::getRoot().removeAllAppenders();
}
