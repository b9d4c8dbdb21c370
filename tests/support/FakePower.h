#pragma once
// Power-off that only counts: no test may ever switch the machine off.
// A test sets `refusal` to have the system refuse with that reason, or
// `holdAnswer` to keep the answer back until it calls Answer(), as a slow
// bus would.
#include "platform/PowerControl.h"

#include <functional>

class FakePower : public PowerControl {
  public:
    void PowerOff(std::function<void(const QString& refusal)> answered) override {
        ++calls;
        pending_ = std::move(answered);
        if (!holdAnswer)
            Answer();
    }
    // Delivers the held answer (`refusal`); false when none is waiting.
    bool Answer() {
        if (!pending_)
            return false;
        auto answered = std::move(pending_);
        pending_ = nullptr;
        answered(refusal);
        return true;
    }
    int calls = 0;
    QString refusal; // empty: the request is accepted
    bool holdAnswer = false;

  private:
    std::function<void(const QString&)> pending_;
};
