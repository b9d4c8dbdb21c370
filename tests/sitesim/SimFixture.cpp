#include "SimFixture.h"

#include <QDir>
#include <QFile>

std::unique_ptr<QTemporaryDir> SimFixture::dir_;
std::unique_ptr<SiteSimulator> SimFixture::sim_;

void SimFixture::SetUpTestSuite() {
    if (sim_)
        return;
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    SiteSimulatorOptions options;
    options.stateDir = dir_->filePath("state");
    options.mediaDir = MediaDir();
    sim_ = std::make_unique<SiteSimulator>(options);
    QString error;
    ASSERT_TRUE(sim_->Start(&error)) << error.toStdString();
}

// The simulator lives until the binary ends: later suites reuse it.
void SimFixture::TearDownTestSuite() {}

void SimFixture::SetUp() {
    ASSERT_TRUE(sim_);
    sim_->SetMediaFault(QString());
    sim_->SetVersionFile(VersionFileMode::Misspelt);
    sim_->SetPublishedVersion("1.0.9");
    client_ = std::make_unique<SimClient>(sim_->ConnectToValue(), sim_->CaBundlePath());
}

QString SimFixture::MediaDir() {
    return dir_->filePath("media");
}

QByteArray SimFixture::ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SimFixture::Unescape(const QString& text) {
    QString t = text;
    t.replace("\\u0026", "&").replace("\\/", "/");
    return QString::fromUtf8(QByteArray::fromPercentEncoding(t.toUtf8()));
}

namespace {
// Stops the shared simulator after every suite has run, so its threads are
// joined and its folder removed before static destruction begins.
class ReleaseSimulator : public ::testing::Environment {
  public:
    void TearDown() override { SimFixture::Release(); }
};
const ::testing::Environment* const kRelease = ::testing::AddGlobalTestEnvironment(new ReleaseSimulator);
} // namespace

void SimFixture::Release() {
    sim_.reset();
    dir_.reset();
}
