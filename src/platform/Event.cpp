#include "platform/Event.h"

#include <chrono>

std::mutex Event::anyMutex_;
std::condition_variable Event::anyCv_;

Event::Event(enum Reset mode, bool signalled) : mode_(mode), signalled_(signalled) {}

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    cv_.notify_all();
    {
        // Taking the lock orders this wake-up after a WaitAny that has just
        // checked both events and is about to sleep.
        std::lock_guard lock(anyMutex_);
    }
    anyCv_.notify_all();
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool Event::TryConsumeLocked() {
    if (!signalled_)
        return false;
    if (mode_ == Reset::Auto)
        signalled_ = false;
    return true;
}

bool Event::Wait(int ms) {
    std::unique_lock lock(mutex_);
    // A poll (the stop check after every block) only looks: even a zero
    // timed wait costs a futex sleep rounded up by the kernel's timer slack.
    if (ms == 0)
        return TryConsumeLocked();
    auto ready = [this] { return signalled_; };
    if (ms < 0)
        cv_.wait(lock, ready);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), ready))
        return false;
    return TryConsumeLocked();
}

int Event::WaitAny(Event& a, Event& b, int ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    std::unique_lock anyLock(anyMutex_);
    for (;;) {
        {
            std::lock_guard lock(a.mutex_);
            if (a.TryConsumeLocked())
                return 0;
        }
        {
            std::lock_guard lock(b.mutex_);
            if (b.TryConsumeLocked())
                return 1;
        }
        if (ms < 0)
            anyCv_.wait(anyLock);
        else if (anyCv_.wait_until(anyLock, deadline) == std::cv_status::timeout) {
            // One last look: a Set may have raced the time-out.
            std::lock_guard la(a.mutex_);
            if (a.TryConsumeLocked())
                return 0;
            std::lock_guard lb(b.mutex_);
            return b.TryConsumeLocked() ? 1 : -1;
        }
    }
}
