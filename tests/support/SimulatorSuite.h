#pragma once
// A test suite that shares one site simulator among its tests (starting it
// makes media and a TLS authority, too slow to repeat for every test).

#include "sitesim/SiteSimulator.h"
#include "support/TempDirTest.h"

class SimulatorSuite : public TempDirTest {
  protected:
    static void SetUpTestSuite() {
        sim_ = new SiteSimulator();
        QString error;
        ASSERT_TRUE(sim_->Start(&error)) << error.toStdString();
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }

    static inline SiteSimulator* sim_ = nullptr;
};
