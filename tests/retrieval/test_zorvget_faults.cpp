// zorv-get as a user meets the worker's failures and stops: interrupts that
// must leave no temporary file, stalled servers, and pages that fail for a
// reason the final line must name.

#include "support/LoopbackServer.h"
#include "support/SilentServer.h"
#include "support/SimulatorSuite.h"
#include "support/ZorvGetRunner.h"

#include <QDir>

#include <csignal>

class ZorvGetFaults : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        runner_ = std::make_unique<ZorvGetRunner>(Path("user"), *sim_);
    }
    QString Out() const { return Path("out"); }
    QStringList Left() const {
        return QDir(Out() + "/MetaCafe").entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    std::unique_ptr<ZorvGetRunner> runner_;
};

namespace {
const QString kWatch = "http://www.metacafe.com/watch/1000001/sample_clip/";
}

TEST_F(ZorvGetFaults, SecondInterruptEndsAtOnceAndDeletesTheTemporaryFile) {
    sim_->SetMediaFault("slow");
    // Two different signals are both delivered: the second finds the first.
    const ZorvGetRun run = runner_->RunAndSignal({"-o", Out(), kWatch}, "% of", {SIGINT, SIGTERM});
    sim_->SetMediaFault(QString());
    EXPECT_EQ(run.exitCode, 130) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(Left().isEmpty()) << Left().join(", ").toStdString();
}

TEST_F(ZorvGetFaults, InterruptStopsAStalledTransferWithinASecond) {
    LoopbackServer site;
    SilentServer silent;
    site.ServeBody("/watch/1/clip/",
                   "<title>Stalled</title><embed flashvars=\"mediaURL=http://media.example/item/s.flv&x\">");
    site.ServeSlow("/item/s.flv", 100, 1, 1000); // one byte per second
    for (const char* media : {"trickle", "silent"}) {
        SCOPED_TRACE(media);
        const bool hangs = std::string(media) == "silent";
        runner_->SetConnectTo(site.ConnectTo("www.metacafe.com") + ',' +
                              (hangs ? silent.ConnectTo("media.example") : site.ConnectTo("media.example")));
        const QString address = "http://www.metacafe.com/watch/1/clip/";
        const ZorvGetRun run = runner_->RunAndSignal({"-o", Out(), address}, "Video page read", {SIGINT});
        EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
        EXPECT_LT(run.msAfterSignal, 1000);
        EXPECT_EQ(run.OutLines().value(run.OutLines().size() - 1), "stopped: " + address);
        EXPECT_TRUE(Left().isEmpty()) << Left().join(", ").toStdString();
    }
}

TEST_F(ZorvGetFaults, FailedPageNamesItsCauseInTheFinalLine) {
    LoopbackServer site;
    site.Redirect("/watch/9/loop/", "/watch/9/loop/");
    runner_->SetConnectTo(site.ConnectTo("www.metacafe.com"));
    const ZorvGetRun run = runner_->Run({"-q", "-o", Out(), "http://www.metacafe.com/watch/404/gone/",
                                         "http://www.metacafe.com/watch/9/loop/"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.OutLines(),
        (QStringList{"error: The page was not found (HTTP 404): http://www.metacafe.com/watch/404/gone/",
                     "error: The page redirected too many times: http://www.metacafe.com/watch/9/loop/"}))
        << run.out.toStdString();
}
