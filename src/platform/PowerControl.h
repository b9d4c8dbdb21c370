#pragma once
// Switching the computer off after a batch. The desktop program asks the
// login manager over D-Bus; tests always install a recording fake, so no
// test can ever reach the real call.
//
// Threads: called on the window's thread only; `answered` runs there too,
// later, once the system has answered (never inside PowerOff itself for the
// real call, so the window keeps answering while the bus is slow).
#include <QString>

#include <functional>

class PowerControl {
  public:
    virtual ~PowerControl() = default;
    // Asks the system to power off. `answered` gets an empty text when the
    // request was accepted, else the system's reason for refusing it.
    virtual void PowerOff(std::function<void(const QString& refusal)> answered) = 0;
};
