// A zorv-get killed in the middle of a file: the next run of the same
// address continues the temporary file it left instead of starting over.

#include "platform/FileAttributes.h"
#include "sitesim/SiteSimulator.h"
#include "support/SimulatorSuite.h"
#include "support/ZorvGetRunner.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

class ZorvGetResumeTest : public SimulatorSuite {};

TEST_F(ZorvGetResumeTest, KilledDownloadContinuesWithARangeRequest) {
    // The temporary file keeps its address in user attributes: the test
    // folder's file system must keep them.
    const int probe = ::open(QFile::encodeName(WriteFile("probe", "x")).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    const bool attributes = SetFileAttribute(probe, kOriginUrlAttribute, "http://probe.example/");
    ::close(probe);
    ASSERT_TRUE(attributes) << "the test folder " << Path().toStdString() << " keeps no user attributes";

    const ZorvGetRunner runner(Path("user"), *sim_);
    const QString page = "http://www.metacafe.com/watch/1000001/sample_clip/";
    const QString file = Path("out/MetaCafe/1000001.flv");
    const QByteArray served = ReadFile(sim_->MediaPath("flv"));
    sim_->SetMediaFault("crawl");
    const ZorvGetRun killed = runner.RunAndSignalWhen(
        {"-o", Path("out"), page}, [&] { return QFileInfo(file + ".qxt").size() > 0; }, SIGKILL);
    sim_->SetMediaFault(QString());
    ASSERT_EQ(killed.exitCode, -1) << killed.out.toStdString() << killed.err.toStdString();
    const qint64 kept = QFileInfo(file + ".qxt").size();
    ASSERT_GT(kept, 0);
    ASSERT_LT(kept, served.size());

    sim_->ClearMediaRequests();
    const ZorvGetRun rerun = runner.Run({"-o", Path("out"), page});
    ASSERT_EQ(rerun.exitCode, 0) << rerun.out.toStdString() << rerun.err.toStdString();
    const std::vector<MediaRequest> requests = sim_->MediaRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].range, QStringLiteral("bytes=%1-").arg(kept));
    EXPECT_EQ(ReadFile(file), served);
    EXPECT_FALSE(QFileInfo::exists(file + ".qxt"));
}
