#pragma once
// Debug checks that an entry point runs on the thread it belongs to.
//
// ZORV_CHECK_THREAD(condition, what) aborts the program with a message on
// standard error naming `what` and the source line when `condition` is
// false. The check is compiled in when NDEBUG is not defined or when
// ZORV_THREAD_CHECKS is defined (the top CMakeLists defines it for the
// Debug and RelWithDebInfo builds, not for Release); otherwise it costs
// nothing and `condition` is not evaluated.
//
// Threads: any thread.

#include <cstdio>
#include <cstdlib>

#if !defined(NDEBUG) || defined(ZORV_THREAD_CHECKS)
#define ZORV_THREAD_CHECKS_ON 1
#else
#define ZORV_THREAD_CHECKS_ON 0
#endif

[[noreturn]] inline void ZorvThreadCheckFailed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "zorv: thread check failed: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    std::abort();
}

#if ZORV_THREAD_CHECKS_ON
#define ZORV_CHECK_THREAD(condition, what)                                                                   \
    ((condition) ? static_cast<void>(0) : ZorvThreadCheckFailed((what), __FILE__, __LINE__))
#else
#define ZORV_CHECK_THREAD(condition, what) static_cast<void>(0)
#endif
