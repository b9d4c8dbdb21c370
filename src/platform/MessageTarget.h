#pragma once
// Receivers of posted notifications (worker progress, update-check results).
//
// Threads: Post() is called from worker threads and must be thread-safe and
// never block. The GUI turns a post into a queued Qt event; the command-line
// front end and the tests use QueueMessageTarget below.

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

class MessageTarget {
  public:
    virtual ~MessageTarget() = default;
    virtual void Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text = {}) = 0;
};

struct PostedMessage {
    int msg = 0;
    qintptr wParam = 0;
    qintptr lParam = 0;
    std::optional<QString> text;
};

// A thread-safe FIFO of posted messages that a consumer thread drains.
class QueueMessageTarget : public MessageTarget {
  public:
    void Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text = {}) override {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(PostedMessage{msg, wParam, lParam, std::move(text)});
        }
        cv_.notify_all();
    }

    // Waits up to `timeout` for the next message; nullopt on time-out.
    std::optional<PostedMessage> Wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, timeout, [this] { return !queue_.empty(); }))
            return std::nullopt;
        PostedMessage m = std::move(queue_.front());
        queue_.pop_front();
        return m;
    }

    std::deque<PostedMessage> TakeAll() {
        std::lock_guard lock(mutex_);
        return std::exchange(queue_, {});
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<PostedMessage> queue_;
};
