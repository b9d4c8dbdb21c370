// Google Video pages through the site simulator: the player parameter, a page
// without one, framed pages handed to another site's extractor, and Google
// addresses that name their source with "srcurl=".

#include "SiteBatchTest.h"

#include "base/Localization.h"
#include "retrieval/ExtractorFactory.h"

#include <QFileInfo>
#include <QUrl>

namespace {
QString VideoPlay(const QString& docId) {
    return "http://video.google.com/videoplay?docid=" + docId;
}
} // namespace

using GoogleBatch = SiteBatchTest;

TEST_F(GoogleBatch, PlayerParameterIsDecodedAndDownloaded) {
    const std::vector<PostedMessage> all = RunBatch({VideoPlay("1234567890123456789")});

    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 110}));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_TITLE), 1);
    EXPECT_EQ(worker_->Snapshot().title, "Google player clip");
    // The address arrives percent-encoded in the page and is requested decoded.
    EXPECT_EQ(worker_->Snapshot().mediaAddress,
              "http://video.google.com/videoplayback?docid=1234567890123456789&begin=0");
    EXPECT_EQ(SiteFiles("Google"), QStringList{"1234567890123456789.flv"});
    EXPECT_EQ(ReadFile(OutPath("Google/1234567890123456789.flv")), Media("flv"));
}

TEST_F(GoogleBatch, EndMarkerWithoutStartMarkerIsNoMedia) {
    worker_->SetRetryTimes(0);
    const std::vector<PostedMessage> all = RunBatch({VideoPlay("2222222222222222222")});

    // 201 from the page resolution, and 201 for the failed attempt.
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201, 201}));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 0);
    EXPECT_EQ(worker_->Snapshot().lastError, LoadText(32891));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 0);
    EXPECT_TRUE(SiteFiles("Google").isEmpty());
}

// 205 uses up an attempt: with no retries the framed page is never fetched.
TEST_F(GoogleBatch, FramedPageWithoutRetriesEndsAfterTheHandOver) {
    worker_->SetRetryTimes(0);
    const std::vector<PostedMessage> all = RunBatch({VideoPlay(kFramedMetacafeDocId)});

    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201}));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 0);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 0);
    EXPECT_FALSE(QFileInfo::exists(OutPath("MetaCafe")));
    EXPECT_FALSE(QFileInfo::exists(OutPath("Google")));
}

TEST_F(GoogleBatch, FramedPageIsDownloadedByTheFramedSitesExtractorOnTheRetry) {
    worker_->SetRetryTimes(1);
    const std::vector<PostedMessage> all = RunBatch({VideoPlay(kFramedMetacafeDocId)});

    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201, 104, 105, 110}));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 1);
    EXPECT_EQ(worker_->Snapshot().pageUrl,
              QStringLiteral("http://www.metacafe.com/watch/%1/sample_clip/").arg(kFramedMetacafeId));
    EXPECT_EQ(SiteFiles("MetaCafe"), QStringList{QStringLiteral("%1.flv").arg(kFramedMetacafeId)});
    EXPECT_EQ(ReadFile(OutPath(QStringLiteral("MetaCafe/%1.flv").arg(kFramedMetacafeId))),
              Media("flv")); // The history files it under the site whose folder holds it.
    EXPECT_EQ(worker_->Snapshot().site, METACAFE);
}

TEST_F(GoogleBatch, FramedYouTubePageWithoutRetries) {
    worker_->SetRetryTimes(0);
    const std::vector<PostedMessage> all = RunBatch({VideoPlay(kFramedYouTubeDocId)});

    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 0);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 0);
    EXPECT_TRUE(SiteFiles("YouTube").isEmpty());
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201}));
}

TEST_F(GoogleBatch, FramedYouTubePageIsDownloadedByTheYouTubeExtractorOnTheRetry) {
    worker_->SetRetryTimes(1);
    const std::vector<PostedMessage> all = RunBatch({VideoPlay(kFramedYouTubeDocId)});

    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 1);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 1);
    EXPECT_EQ(Statuses(all, 0).back(), 110);
    EXPECT_EQ(worker_->Snapshot().pageUrl, kYouTubeWatch);
    const QStringList files = SiteFiles("YouTube");
    ASSERT_EQ(files.size(), 1) << files.join(", ").toStdString();
    const QByteArray bytes = ReadFile(OutPath("YouTube/" + files.first()));
    EXPECT_TRUE(bytes == Media("flv") || bytes == Media("mp4"));
}

// The source's own extractor gets the source address, not the Google one.
TEST_F(GoogleBatch, SourceAddressGoesStraightToItsSite) {
    const QString metacafe =
        QStringLiteral("http://www.metacafe.com/watch/%1/sample_clip/").arg(kFramedMetacafeId);
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(metacafe));
    const QString google = "http://video.google.com/url?sa=t&srcurl=" + encoded + "&ei=9";

    const std::unique_ptr<SiteExtractor> p = CreateExtractor(google, worker_.get());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, METACAFE);
    EXPECT_EQ(p->pageUrl, metacafe);

    const std::vector<PostedMessage> all =
        RunBatch({google, "http://video.google.com/url?srcurl=http://www.nicovideo.jp/watch/sm1001"});
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 110}));
    EXPECT_EQ(Statuses(all, 1), (std::vector<int>{104, 105, 110}));
    EXPECT_EQ(ReadFile(OutPath(QStringLiteral("MetaCafe/%1.flv").arg(kFramedMetacafeId))), Media("flv"));
    EXPECT_EQ(ReadFile(OutPath("NicoVideo/sm1001.flv")), Media("flv"));
}

TEST_F(GoogleBatch, YouTubeSourceAddressGoesStraightToTheYouTubeExtractor) {
    const QString google = QStringLiteral("http://video.google.com/url?sa=t&srcurl=%1").arg(kYouTubeWatch);
    EXPECT_EQ(DetectSite(google), YOUTUBE);
    const std::unique_ptr<SiteExtractor> p = CreateExtractor(google, worker_.get());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, YOUTUBE);
    EXPECT_EQ(p->siteName, "YouTube");
    EXPECT_EQ(p->pageUrl, kYouTubeWatch);

    const std::vector<PostedMessage> all = RunBatch({google});
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 1);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 0);
    EXPECT_EQ(worker_->Snapshot().site, YOUTUBE);
    EXPECT_EQ(SiteFiles("YouTube").size(), 1);
    EXPECT_TRUE(SiteFiles("Google").isEmpty());
}
