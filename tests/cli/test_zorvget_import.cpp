// zorv-get --import against a page that trickles in: an interrupt and the
// import's deadline both end it soon, with a clear message.

#include "support/LoopbackServer.h"
#include "support/SimulatorSuite.h"
#include "support/ZorvGetRunner.h"

#include <csignal>

class ZorvGetImportTest : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        runner_ = std::make_unique<ZorvGetRunner>(Path("user"), *sim_);
        // Two bytes a second, for far longer than any test runs.
        server_.ServeSlow("/trickle", 100000, 1, 500);
    }
    QString Page() const { return server_.Url("/trickle"); }

    LoopbackServer server_;
    std::unique_ptr<ZorvGetRunner> runner_;
};

TEST_F(ZorvGetImportTest, TerminateStopsAnImportWithinASecond) {
    const ZorvGetRun run =
        runner_->RunAndTerminate({"-o", Path("out"), "--import", Page()}, "Reading links from " + Page());
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_LT(run.msAfterSignal, 2000);
    EXPECT_TRUE(run.err.contains("zorv-get: stopped while reading " + Page() + "; nothing was downloaded"))
        << run.err.toStdString();
}

TEST_F(ZorvGetImportTest, AnImportEndsAtItsDeadline) {
    runner_->SetEnvironment("ZORV_IMPORT_DEADLINE_MS", "1500");
    const ZorvGetRun run = runner_->Run({"-o", Path("out"), "--import", Page()}, 20000);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(
        run.err.contains(Page() + " did not arrive within 1.5 seconds; only the part that arrived is read"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("no video links found in " + Page())) << run.err.toStdString();
}
