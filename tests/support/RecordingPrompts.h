#pragma once
// A UserPrompts that remembers every message box instead of showing it.
//
// Threads: ShowMessage may be called from the batch thread.

#include "platform/UserPrompts.h"

#include <QStringList>

#include <mutex>
#include <vector>

class RecordingPrompts : public UserPrompts {
  public:
    struct Shown {
        QString text;
        Icon icon;
    };
    void ShowMessage(const QString& text, Icon icon) override {
        std::lock_guard lock(mutex_);
        shown_.push_back({text, icon});
    }
    std::vector<Shown> Messages() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }
    QStringList Texts() const {
        std::lock_guard lock(mutex_);
        QStringList texts;
        for (const Shown& s : shown_)
            texts << s.text;
        return texts;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Shown> shown_;
};
