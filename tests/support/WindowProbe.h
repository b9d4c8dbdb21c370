#pragma once
// Sends a call to a window's thread every `pause` from a thread of its own
// and times each answer: shows whether the window's thread keeps handling
// events, and how quickly.
//
// Threads: the probe's thread sends and waits; the answers run on the
// thread of `window`; the counts are read from any thread.

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class WindowProbe {
  public:
    explicit WindowProbe(QObject* window, std::chrono::milliseconds pause = std::chrono::milliseconds(25))
        : window_(window), pause_(pause) {
        thread_ = std::thread([this] { Run(); });
    }
    ~WindowProbe() {
        stop_ = true;
        thread_.join();
    }
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    int Answered() const { return answered_.load(); }
    // Every answer's round trip in microseconds, in the order sent.
    std::vector<long long> Samples() const {
        std::lock_guard lock(mutex_);
        return samples_;
    }

  private:
    void Run() {
        while (!stop_) {
            const auto sent = std::chrono::steady_clock::now();
            bool done = false;
            QMetaObject::invokeMethod(
                window_,
                [this, &done] {
                    std::lock_guard lock(mutex_);
                    done = true;
                    cv_.notify_all();
                },
                Qt::QueuedConnection);
            std::unique_lock lock(mutex_);
            // The answer is awaited whatever it takes: `done` lives here.
            cv_.wait(lock, [&] { return done; });
            samples_.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - sent)
                                   .count());
            ++answered_;
            lock.unlock();
            std::this_thread::sleep_for(pause_); // pacing, not waiting on anything
        }
    }

    QObject* window_;
    const std::chrono::milliseconds pause_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<long long> samples_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
};
