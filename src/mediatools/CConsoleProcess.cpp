// The platform-neutral part of the console runner; the process and pipe
// handling lives in the platform file beside it.
#include "mediatools/CConsoleProcess.h"

#include <cstdarg>

int CConsoleProcess::Write(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    // Tools read their commands in the system code page, which is UTF-8 here.
    return WriteText(text.toUtf8());
}
