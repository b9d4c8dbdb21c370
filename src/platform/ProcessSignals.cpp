#include "platform/ProcessSignals.h"

#include <csignal>

void IgnoreFileSizeLimitSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool EndedByFileSizeLimit(int exitCode) {
#ifdef SIGXFSZ
    return exitCode == 128 + SIGXFSZ;
#else
    (void)exitCode;
    return false;
#endif
}
