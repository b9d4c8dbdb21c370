// The rule by which a second attempt continues the file a broken one left:
// only the rest of the same file (206, same length, same validator, or the
// same address when there is none) is appended; anything else starts over.
// Progress goes on from the bytes kept.

#include "base/AppLog.h"
#include "retrieval/CVideoDownloader.h"

#include "support/RecordingContext.h"
#include "support/SimulatorSuite.h"

#include <QFileInfo>

class ResumeRule : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        qputenv("ZORV_CONNECT_TO", sim_->ConnectToValue().toUtf8());
        InitLog(Path("ruzivar.log"));
    }
    void TearDown() override {
        ShutdownLog();
        qunsetenv("ZORV_CONNECT_TO");
        TempDirTest::TearDown();
    }
};

TEST_F(ResumeRule, OnlyTheRestOfTheSameFileIsAppended) {
    const QByteArray served = ReadFile(sim_->MediaPath("flv"));
    const quint64 size = quint64(served.size());
    const quint64 cut = size / 3;
    const QString media = "http://www.youtube.com/videoplayback?id=zvNormal001&itag=34&fault=";
    const struct {
        QString fault;
        QString secondSuffix; // appended to the second attempt's address
        bool continues;
    } cases[] = {
        {"", "", true},
        {"lastmodified", "", true},
        {"novalidator", "", true},
        {"novalidator", "&moved=1", false},
        {"newtag", "", false},
        {"norange", "", false},
    };
    for (const auto& c : cases) {
        const QString fault = QString("cutat:%1").arg(cut) +
                              (c.fault.isEmpty() ? "" : "%2B" + c.fault); // "+" in a query is a space
        SCOPED_TRACE((fault + c.secondSuffix).toStdString());
        sim_->ClearMediaRequests();
        const QString file = Path("clip.flv.qxt");
        MediaResume resume;
        RecordingContext first;
        const MediaResult broken = CVideoDownloader(&first).GetFLVFile(media + fault, file, &resume);
        ASSERT_EQ(broken.code, -1) << broken.errorText.toStdString();
        ASSERT_EQ(resume.bytes, cut);
        ASSERT_EQ(resume.totalBytes, size);

        RecordingContext second;
        const MediaResult done =
            CVideoDownloader(&second).GetFLVFile(media + fault + c.secondSuffix, file, &resume);
        ASSERT_EQ(done.code, 0) << done.errorText.toStdString();
        EXPECT_EQ(ReadFile(file), served);
        EXPECT_EQ(done.resumedFrom, c.continues ? cut : 0u);
        EXPECT_EQ(done.receivedBytes, size);
        ASSERT_FALSE(second.progress.empty());
        // The first block after the kept bytes already counts them.
        const int firstProgress = int((c.continues ? cut : 0) * 1000 / size);
        EXPECT_GE(second.progress.front(), firstProgress);
        EXPECT_LT(second.progress.front(), firstProgress + 200);
        EXPECT_EQ(sim_->MediaRequests().at(1).range, QString("bytes=%1-").arg(cut));
    }
}
