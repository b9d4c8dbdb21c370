#include "sitesim/SiteSimulator.h"

#include "sitesim/GenericVideoSite.h"
#include "sitesim/GoogleVideoSite.h"
#include "sitesim/MediaLibrary.h"
#include "sitesim/MetacafeSite.h"
#include "sitesim/NicoVideoSite.h"
#include "sitesim/SimCatalogue.h"
#include "sitesim/SimHttp.h"
#include "sitesim/TestCertificate.h"
#include "sitesim/UpdateHost.h"
#include "sitesim/YouTubeGates.h"
#include "sitesim/YouTubeSite.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUuid>

#include <chrono>
#include <stdexcept>

struct SiteSimulator::Sites {
    explicit Sites(const SimContext& ctx)
        : youTube(ctx), gates(ctx), google(ctx), metacafe(ctx), nico(ctx), update(ctx), generic(ctx) {}
    YouTubeSite youTube;
    YouTubeGates gates;
    GoogleVideoSite google;
    MetacafeSite metacafe;
    NicoVideoSite nico;
    UpdateHost update;
    GenericVideoSite generic;
};

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// listen_after_bind must be running before stop() can end it, or a Stop right
// after Start would leave the thread waiting for ever.
void WaitUntilRunning(const httplib::Server& server) {
    for (int i = 0; i < 500 && !server.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace

SiteSimulator::SiteSimulator(SiteSimulatorOptions options) : options_(std::move(options)) {}

SiteSimulator::~SiteSimulator() {
    Stop();
}

QStringList SiteSimulator::HostNames() {
    return {YouTubeSite::kWebHost,       "youtube.com",
            YouTubeSite::kShortHost,     YouTubeGates::kAccountsHost,
            GoogleVideoSite::kHost,      MetacafeSite::kWebHost,
            MetacafeSite::kOldMediaHost, MetacafeSite::kMediaHost,
            NicoVideoSite::kWebHost,     NicoVideoSite::kSecureHost,
            NicoVideoSite::kMediaHost,   ZORV_UPDATE_HOST};
}

bool SiteSimulator::Fail(QString* error, const QString& text) {
    if (error != nullptr)
        *error = text;
    Stop();
    return false;
}

bool SiteSimulator::Start(QString* error) {
    if (http_)
        return Fail(error, "the simulator is already running");
    stateDir_ = options_.stateDir;
    if (stateDir_.isEmpty()) {
        tempDir_ = std::make_unique<QTemporaryDir>(QDir::temp().filePath("zorv-sitesim-XXXXXX"));
        if (!tempDir_->isValid())
            return Fail(error, "cannot create a temporary state folder");
        stateDir_ = tempDir_->path();
    }
    if (!QDir().mkpath(stateDir_))
        return Fail(error, "cannot create state folder " + stateDir_);

    QString problem;
    const QString cataloguePath =
        options_.catalogueFile.isEmpty() ? QStringLiteral(ZORV_SITESIM_CATALOGUE) : options_.catalogueFile;
    std::optional<SimCatalogue> catalogue = SimCatalogue::Load(cataloguePath, &problem);
    if (!catalogue)
        return Fail(error, problem);
    catalogue_ = std::make_unique<SimCatalogue>(std::move(*catalogue));

    const QString mediaDir =
        options_.mediaDir.isEmpty() ? QDir(stateDir_).filePath("media") : options_.mediaDir;
    media_ = std::make_unique<MediaLibrary>(mediaDir, options_.ffmpeg);
    if (!media_->Prepare(&problem))
        return Fail(error, problem);

    try {
        // The generic host is addressed by the loopback name and address.
        certificate_ = std::make_unique<TestCertificate>(HostNames() << "localhost"
                                                                     << "127.0.0.1");
    } catch (const std::exception& e) {
        return Fail(error, QString::fromUtf8(e.what()));
    }
    if (!WriteFile(CaBundlePath(), certificate_->CaPem()) ||
        !WriteFile(QDir(stateDir_).filePath("server.pem"), certificate_->ServerCertPem()))
        return Fail(error, "cannot write the certificates into " + stateDir_);

    SimAccount yt = catalogue_->youTubeAccount;
    if (!options_.youTubeUser.isEmpty())
        yt = {options_.youTubeUser, options_.youTubePassword};
    SimAccount nico = catalogue_->nicoAccount;
    if (!options_.nicoMail.isEmpty())
        nico = {options_.nicoMail, options_.nicoPassword};
    context_ = std::make_unique<SimContext>(*catalogue_, *media_, yt, nico,
                                            QUuid::createUuid().toString(QUuid::Id128).left(20));
    context_->SetPublishedVersion(options_.publishedVersion);
    context_->SetVersionFile(options_.versionFile);
    context_->SetMediaFault(options_.mediaFault);
    sites_ = std::make_unique<Sites>(*context_);

    http_ = std::make_unique<httplib::Server>();
    https_ = std::make_unique<httplib::SSLServer>(certificate_->ServerCert(), certificate_->ServerKey());
    if (!https_->is_valid())
        return Fail(error, "the TLS server refused the certificate");
    InstallHandlers(*http_);
    InstallHandlers(*https_);

    httpPort_ = options_.httpPort
                    ? (http_->bind_to_port("127.0.0.1", options_.httpPort) ? options_.httpPort : -1)
                    : http_->bind_to_any_port("127.0.0.1");
    httpsPort_ = options_.httpsPort
                     ? (https_->bind_to_port("127.0.0.1", options_.httpsPort) ? options_.httpsPort : -1)
                     : https_->bind_to_any_port("127.0.0.1");
    if (httpPort_ <= 0 || httpsPort_ <= 0)
        return Fail(error, "cannot listen on 127.0.0.1 (port taken?)");
    httpThread_ = std::thread([this] { http_->listen_after_bind(); });
    httpsThread_ = std::thread([this] { https_->listen_after_bind(); });
    WaitUntilRunning(*http_);
    WaitUntilRunning(*https_);
    return true;
}

void SiteSimulator::Stop() {
    if (context_)
        context_->stopping = true;
    if (http_)
        http_->stop();
    if (https_)
        https_->stop();
    if (httpThread_.joinable())
        httpThread_.join();
    if (httpsThread_.joinable())
        httpsThread_.join();
    http_.reset();
    https_.reset();
}

int SiteSimulator::Connections() const {
    std::lock_guard lock(connectionsMutex_);
    return static_cast<int>(clientPorts_.size());
}

void SiteSimulator::InstallHandlers(httplib::Server& server) {
    auto handler = [this](const httplib::Request& req, httplib::Response& res) { Dispatch(req, res); };
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard lock(connectionsMutex_);
        clientPorts_.emplace(req.ssl != nullptr, req.remote_port);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        SimHttp::SendPage(res, "<html><body><h1>500 Internal Server Error</h1></body></html>", 500);
    });
    // Headers and body go out in separate writes: without this every reply
    // waits for the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(20);
    // An idle kept-alive connection holds its server thread, and Stop waits
    // for it: keep the wait short.
    server.set_keep_alive_timeout(1);
    server.set_read_timeout(10);
}

void SiteSimulator::Dispatch(const httplib::Request& req, httplib::Response& res) const {
    const QString host = SimHttp::HostOf(req);
    const bool tls = req.ssl != nullptr;
    // The sign-in hosts move plain requests to TLS, as the real ones did.
    if (!tls && (host == YouTubeGates::kAccountsHost || host == NicoVideoSite::kSecureHost)) {
        SimHttp::Redirect(res, QString("https://%1%2").arg(host, QString::fromStdString(req.target)), 301);
        return;
    }
    bool handled = false;
    if (host == YouTubeSite::kWebHost || host == "youtube.com")
        handled = sites_->gates.HandleWebHost(req, res) || sites_->youTube.Handle(req, res);
    else if (host == YouTubeSite::kShortHost)
        handled = sites_->youTube.Handle(req, res);
    else if (host == YouTubeGates::kAccountsHost)
        handled = sites_->gates.HandleAccounts(req, res);
    else if (host == GoogleVideoSite::kHost)
        handled = sites_->google.Handle(req, res);
    else if (host == MetacafeSite::kWebHost)
        handled = sites_->metacafe.HandleWeb(req, res);
    else if (host == MetacafeSite::kOldMediaHost || host == MetacafeSite::kMediaHost)
        handled = sites_->metacafe.HandleMedia(req, res);
    else if (host == NicoVideoSite::kWebHost)
        handled = sites_->nico.HandleWeb(req, res);
    else if (host == NicoVideoSite::kSecureHost)
        handled = sites_->nico.HandleSecure(req, res);
    else if (host == NicoVideoSite::kMediaHost)
        handled = sites_->nico.HandleMedia(req, res);
    else if (host == ZORV_UPDATE_HOST)
        handled = sites_->update.Handle(req, res);
    else
        handled = sites_->generic.Handle(req, res);
    if (!handled) {
        SimHttp::SendPage(
            res,
            QString("<html><body><h1>404 Not Found</h1><p>%1 has no %2</p></body></html>")
                .arg(SimHttp::HtmlEscape(host), SimHttp::HtmlEscape(QString::fromStdString(req.path))),
            404);
    }
}

QString SiteSimulator::ConnectToValue() const {
    QStringList routes;
    for (const QString& host : HostNames()) {
        routes << QString("%1:80:127.0.0.1:%2").arg(host).arg(httpPort_)
               << QString("%1:443:127.0.0.1:%2").arg(host).arg(httpsPort_);
    }
    return routes.join(',');
}

QString SiteSimulator::CaBundlePath() const {
    return QDir(stateDir_).filePath("ca.pem");
}

QString SiteSimulator::GenericBase() const {
    return QString("http://127.0.0.1:%1").arg(httpPort_);
}

QString SiteSimulator::GenericTlsBase() const {
    return QString("https://127.0.0.1:%1").arg(httpsPort_);
}

QString SiteSimulator::GenericMediaPath(const QString& id) const {
    const SimVideo* video = catalogue_ ? catalogue_->Find(SimSite::Generic, id) : nullptr;
    return video ? GenericVideoSite::MediaPath(*video) : QString();
}

QString SiteSimulator::GenericMediaFile(const QString& id) const {
    const SimVideo* video = catalogue_ ? catalogue_->Find(SimSite::Generic, id) : nullptr;
    return video ? MediaPath(video->media) : QString();
}

SimAccount SiteSimulator::GenericAccount() const {
    return catalogue_ ? catalogue_->genericAccount : SimAccount();
}

QString SiteSimulator::GenericMemberCookie() const {
    return sites_ ? sites_->generic.MemberCookie() : QString();
}

QString SiteSimulator::MediaPath(const QString& kind) const {
    return media_ ? media_->PathOf(kind) : QString();
}

void SiteSimulator::SetPublishedVersion(const QString& version) {
    options_.publishedVersion = version;
    if (context_)
        context_->SetPublishedVersion(version);
}

void SiteSimulator::SetVersionFile(VersionFileMode mode) {
    options_.versionFile = mode;
    if (context_)
        context_->SetVersionFile(mode);
}

void SiteSimulator::SetMediaFault(const QString& fault) {
    options_.mediaFault = fault;
    if (context_)
        context_->SetMediaFault(fault);
}

std::vector<MediaRequest> SiteSimulator::MediaRequests() const {
    return context_ ? context_->mediaRequests.All() : std::vector<MediaRequest>();
}

void SiteSimulator::ClearMediaRequests() {
    if (context_)
        context_->mediaRequests.Clear();
}
