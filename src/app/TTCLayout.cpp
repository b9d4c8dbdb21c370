#include "app/TTCLayout.h"

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
    std::strftime(when, sizeof when, "%m-%d-%y %H:%M:%S, %p", &local);

    std::string line;
    line.reserve(96 + event.categoryName.size() + event.ndc.size() + event.message.size());
    line += when;
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
