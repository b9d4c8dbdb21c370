#include "SiteBatchTest.h"

#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "retrieval/ExtractorFactory.h"
#include "retrieval/HttpSession.h"
#include "retrieval/NicoVideoExtractor.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

std::unique_ptr<QTemporaryDir> SiteBatchTest::simDir_;
std::unique_ptr<SiteSimulator> SiteBatchTest::sim_;

void SiteBatchTest::SetUpTestSuite() {
    StartSimulator([](QJsonObject& catalogue) {
        QJsonArray google = catalogue.value("google").toArray();
        google.append(QJsonObject{
            {"id", kFramedMetacafeDocId},
            {"title", "Framed Metacafe clip"},
            {"kind", "frame"},
            {"target",
             QStringLiteral("http://www.metacafe.com/watch/%1/sample_clip/").arg(kFramedMetacafeId)}});
        catalogue.insert("google", google);
    });
}

void SiteBatchTest::StartSimulator(const std::function<void(QJsonObject&)>& extend) {
    if (sim_)
        return;
    simDir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(simDir_->isValid());

    QFile shipped(QStringLiteral(ZORV_SHIPPED_CATALOGUE));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << ZORV_SHIPPED_CATALOGUE;
    QJsonObject catalogue = QJsonDocument::fromJson(shipped.readAll()).object();
    extend(catalogue);
    const QString catalogueFile = simDir_->filePath("catalogue.json");
    QFile out(catalogueFile);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(catalogue).toJson());
    out.close();

    SiteSimulatorOptions options;
    options.catalogueFile = catalogueFile;
    options.stateDir = simDir_->filePath("state");
    sim_ = std::make_unique<SiteSimulator>(options);
    QString error;
    ASSERT_TRUE(sim_->Start(&error)) << error.toStdString();
}

// The simulator serves every suite of the binary; it is stopped once all
// have run, before static destruction begins.
void SiteBatchTest::TearDownTestSuite() {}

void SiteBatchTest::ReleaseSimulator() {
    sim_.reset();
    simDir_.reset();
}

namespace {
class ReleaseSimulatorEnvironment : public ::testing::Environment {
  public:
    void TearDown() override { SiteBatchTest::ReleaseSimulator(); }
};
const ::testing::Environment* const kRelease =
    ::testing::AddGlobalTestEnvironment(new ReleaseSimulatorEnvironment);
} // namespace

void SiteBatchTest::SetUp() {
    TempDirTest::SetUp();
    ASSERT_TRUE(sim_);
    qputenv("ZORV_CONNECT_TO", sim_->ConnectToValue().toUtf8());
    qputenv("ZORV_CA_BUNDLE", sim_->CaBundlePath().toUtf8());
    InitLog(Path("ruzivar.log"));
    ClearCookies();
    SetNicoAccount(QString(), QString());
    NicoVideoExtractor::ResetAccountNoticeForTesting();
    SetUserPrompts(&prompts_);
    worker_ = std::make_shared<DownloadWorker>(&target_);
    worker_->SetOutputFolder(Path("out"));
    worker_->SetUseTitle(0);
}

void SiteBatchTest::TearDown() {
    worker_.reset();
    SetUserPrompts(nullptr);
    ClearCookies();
    ShutdownLog();
    qunsetenv("ZORV_CONNECT_TO");
    qunsetenv("ZORV_CA_BUNDLE");
    TempDirTest::TearDown();
}

void SiteBatchTest::SetNicoAccount(const QString& mail, const QString& password) {
    Settings().NicoUser = mail;
    Settings().NicoPasswd = password;
    Settings().Publish();
}

std::vector<PostedMessage> SiteBatchTest::RunBatch(const QStringList& addresses,
                                                   std::chrono::milliseconds limit) {
    for (int row = 0; row < addresses.size(); ++row)
        worker_->Enqueue(addresses.at(row), row);
    std::vector<PostedMessage> all;
    if (!worker_->Start()) {
        ADD_FAILURE() << "the batch did not start";
        return all;
    }
    if (CollectUntilBatchEnds(target_, all, limit))
        return all;
    ADD_FAILURE() << "the batch did not end in time";
    worker_->Stop();
    return all;
}

QStringList SiteBatchTest::SiteFiles(const QString& siteFolder) const {
    return QDir(OutPath(siteFolder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString SiteBatchTest::OutPath(const QString& relative) const {
    return Path("out/" + relative);
}
