#pragma once
// Power-off that only counts: no test may ever switch the machine off.
#include "platform/PowerControl.h"

class FakePower : public PowerControl {
  public:
    QString PowerOff() override {
        ++calls;
        return QString();
    }
    int calls = 0;
};
