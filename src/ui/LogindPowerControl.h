#pragma once
// Power-off through the login manager (org.freedesktop.login1) on the
// system bus. Never used by tests.
//
// Threads: main thread only; the answer arrives through the event loop.

#include "platform/PowerControl.h"

class LogindPowerControl : public PowerControl {
  public:
    void PowerOff(std::function<void(const QString& refusal)> answered) override;
};
