#pragma once
// Whole download batches against the site simulator: one simulator per test
// binary (its media are made once), a fresh worker, output folder, cookie
// jar and recording prompts per test. The simulator's catalogue is the
// shipped one plus a Google Video page that frames a Metacafe video, so the
// hand-over to another site can be checked without the YouTube extractor.

#include "platform/UserPrompts.h"
#include "retrieval/DownloadWorker.h"
#include "sitesim/SiteSimulator.h"

#include "support/TempDirTest.h"

#include <QStringList>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

// Remembers every message box instead of showing it; called from the batch
// thread.
class RecordingPrompts : public UserPrompts {
  public:
    struct Shown {
        QString text;
        Icon icon;
    };
    void ShowMessage(const QString& text, Icon icon) override {
        std::lock_guard lock(mutex_);
        shown_.push_back({text, icon});
    }
    std::vector<Shown> Messages() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Shown> shown_;
};

class SiteBatchTest : public TempDirTest {
  public:
    // The extra catalogue entry: a Google page framing this Metacafe video.
    static constexpr const char* kFramedMetacafeDocId = "5555555555555555555";
    static constexpr const char* kFramedMetacafeId = "1000001";
    static constexpr const char* kFramedYouTubeDocId = "3333333333333333333";
    static constexpr const char* kYouTubeWatch = "http://www.youtube.com/watch?v=zvNormal001";

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static void ReleaseSimulator();

  protected:
    void SetUp() override;
    void TearDown() override;

    static SiteSimulator& Sim() { return *sim_; }
    // The NicoVideo account the settings hand to the extractor.
    static void SetNicoAccount(const QString& mail, const QString& password);
    // True when this build has a YouTube extractor.
    static bool HaveYouTubeExtractor();

    // Enqueues the addresses (rows 0, 1, ...), runs the batch and returns
    // every notification up to its end.
    std::vector<PostedMessage> RunBatch(const QStringList& addresses,
                                        std::chrono::milliseconds limit = std::chrono::seconds(60));
    static std::vector<int> Statuses(const std::vector<PostedMessage>& all, int row);
    static int Count(const std::vector<PostedMessage>& all, int msg);
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
