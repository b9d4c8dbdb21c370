#pragma once
// Whole download batches against the site simulator: one simulator per test
// binary (its media are made once), a fresh worker, output folder, cookie
// jar and recording prompts per test. The simulator's catalogue is the
// shipped one plus a Google Video page that frames a Metacafe video, so the
// hand-over to another site can be checked without the YouTube extractor.

#include "retrieval/DownloadWorker.h"
#include "sitesim/SiteSimulator.h"

#include "support/PostedMessages.h"
#include "support/RecordingPrompts.h"
#include "support/TempDirTest.h"

#include <QJsonObject>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class SiteBatchTest : public TempDirTest {
  public:
    // The extra catalogue entry: a Google page framing this Metacafe video.
    static constexpr const char* kFramedMetacafeDocId = "5555555555555555555";
    static constexpr const char* kFramedMetacafeId = "1000001";
    static constexpr const char* kFramedYouTubeDocId = "3333333333333333333";
    static constexpr const char* kYouTubeWatch = "http://www.youtube.com/watch?v=zvNormal001";

    static void SetUpTestSuite();
    // Starts the binary's simulator once, on the shipped catalogue as
    // `extend` changes it.
    static void StartSimulator(const std::function<void(QJsonObject&)>& extend);
    static void TearDownTestSuite();
    static void ReleaseSimulator();

  protected:
    void SetUp() override;
    void TearDown() override;

    static SiteSimulator& Sim() { return *sim_; }
    // The NicoVideo account the settings hand to the extractor.
    static void SetNicoAccount(const QString& mail, const QString& password);

    // Enqueues the addresses (rows 0, 1, ...), runs the batch and returns
    // every notification up to its end.
    std::vector<PostedMessage> RunBatch(const QStringList& addresses,
                                        std::chrono::milliseconds limit = std::chrono::seconds(60));
    // The files of one site folder below the output folder.
    QStringList SiteFiles(const QString& siteFolder) const;
    QString OutPath(const QString& relative) const;
    QByteArray Media(const QString& kind) const { return ReadFile(Sim().MediaPath(kind)); }

    QueueMessageTarget target_;
    std::shared_ptr<DownloadWorker> worker_;
    RecordingPrompts prompts_;

  private:
    static std::unique_ptr<QTemporaryDir> simDir_;
    static std::unique_ptr<SiteSimulator> sim_;
};
