#pragma once
// Power-off that only counts: no test may ever switch the machine off.
// A test sets `refusal` to have the system refuse with that reason.
#include "platform/PowerControl.h"

class FakePower : public PowerControl {
  public:
    QString PowerOff() override {
        ++calls;
        return refusal;
    }
    int calls = 0;
    QString refusal; // empty: the request is accepted
};
