#pragma once
// Power-off through the login manager (org.freedesktop.login1) on the
// system bus. Never used by tests.
//
// Threads: main thread only.

#include "platform/PowerControl.h"

class LogindPowerControl : public PowerControl {
  public:
    QString PowerOff() override;
};
