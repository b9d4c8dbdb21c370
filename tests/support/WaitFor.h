#pragma once
// Waiting on observable state instead of sleeping: polls `predicate` until it
// holds or `timeout` passes. Returns the predicate's last value, so a test
// asserts on it and fails with a clear line when the state never came.
#include <QCoreApplication>

#include <chrono>
#include <thread>

template <typename Predicate>
bool WaitFor(Predicate&& predicate, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return predicate();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The same while handling the calling thread's Qt events, for tests whose
// state changes arrive as events (windows, posted notifications).
template <typename Predicate>
bool WaitProcessingEvents(Predicate&& predicate, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return WaitFor(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            return predicate();
        },
        timeout);
}
