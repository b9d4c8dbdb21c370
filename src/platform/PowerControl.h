#pragma once
// Switching the computer off after a batch. The desktop program asks the
// login manager over D-Bus; tests always install a recording fake, so no
// test can ever reach the real call.
//
// Threads: called on the window's thread only.
#include <QString>

class PowerControl {
  public:
    virtual ~PowerControl() = default;
    // Asks the system to power off. Returns an empty text when the request
    // was accepted, else the system's reason for refusing it.
    virtual QString PowerOff() = 0;
};
