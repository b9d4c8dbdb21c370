#pragma once
// A waitable event with manual- or auto-reset semantics.
//
// Threads: every member is safe to call from any thread.

#include <condition_variable>
#include <mutex>

class Event {
  public:
    enum class Reset { Manual, Auto };
    explicit Event(Reset mode = Reset::Manual, bool signalled = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits up to `ms` milliseconds (negative: no limit). True when signalled;
    // an auto-reset event is cleared by the wait that consumes it. Wait(0)
    // is a poll: it reads the state under the lock and never sleeps.
    bool Wait(int ms);

    // Waits until either event is signalled; returns 0 or 1 for the one that
    // was (the first when both are), -1 on time-out. Consumes an auto-reset
    // event only if it is the one reported.
    static int WaitAny(Event& a, Event& b, int ms);

  private:
    bool TryConsumeLocked();

    const enum Reset mode_;
    bool signalled_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    // WaitAny sleeps on a shared condition; every Set() pokes it too.
    static std::mutex anyMutex_;
    static std::condition_variable anyCv_;
};
