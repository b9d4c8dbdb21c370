#include "base/TTCLayout.h"

#include <log4cpp/Priority.hh>

#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

std::string TTCLayout::format(const log4cpp::LoggingEvent& event) {
    // Appenders run synchronously on the logging thread, so the kernel id of
    // the current thread is the id of the thread that logged.
    const unsigned long tid = static_cast<unsigned long>(::syscall(SYS_gettid));
    const time_t seconds = event.timeStamp.getSeconds();
    struct tm local {};
    localtime_r(&seconds, &local);
    char when[64];
    // Only numbers come from strftime: its "%p" follows the user's locale,
    // which has no designator in German and a different one in Japanese.
    std::strftime(when, sizeof when, "%m-%d-%y %H:%M:%S, ", &local);

    std::string line;
    line.reserve(96 + event.categoryName.size() + event.ndc.size() + event.message.size());
    line += when;
    line += local.tm_hour < 12 ? "AM" : "PM";
    line += " [";
    line += std::to_string(tid);
    line += "] ";
    line += log4cpp::Priority::getPriorityName(event.priority);
    line += ' ';
    line += event.categoryName;
    line += " <";
    line += event.ndc;
    line += "> - ";
    line += event.message;
    line += '\n';
    return line;
}
