#pragma once
// A local stand-in for the four video sites and the update host: one plain
// HTTP and one HTTPS server on 127.0.0.1 that answer by the Host header, so a
// client routed here with ConnectToValue() keeps the real host names in its
// addresses and cookies. Any other host name (127.0.0.1:PORT, localhost:PORT)
// reaches a generic HTML5 video host (GenericVideoSite.h).
//
// Threads: Start, Stop, the accessors and the Set* switches are called from
// one controlling thread (the Set* switches may be called while the servers
// run). The servers answer on their own worker threads, which Stop joins.

#include "sitesim/SimCatalogue.h"
#include "sitesim/SimContext.h"

#include <httplib.h>

#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <set>
#include <thread>

class SimCatalogue;
class MediaLibrary;
class TestCertificate;
class QTemporaryDir;

struct SiteSimulatorOptions {
    QString catalogueFile; // empty: the catalogue that ships with the simulator
    QString mediaDir;      // empty: "media" in the state folder
    QString stateDir;      // empty: a temporary folder, removed with the simulator
    QString publishedVersion = QStringLiteral("1.0.9");
    VersionFileMode versionFile = VersionFileMode::Misspelt;
    QString mediaFault;                   // applied to every media reply without a fault of its own
    QString youTubeUser, youTubePassword; // empty: the catalogue's account
    QString nicoMail, nicoPassword;       // empty: the catalogue's account
    QString ffmpeg = QStringLiteral("ffmpeg");
    quint16 httpPort = 0; // 0: any free port
    quint16 httpsPort = 0;
};

class SiteSimulator {
  public:
    explicit SiteSimulator(SiteSimulatorOptions options = {});
    ~SiteSimulator();
    SiteSimulator(const SiteSimulator&) = delete;
    SiteSimulator& operator=(const SiteSimulator&) = delete;

    // Loads the catalogue, makes missing media, creates the certificates and
    // starts both servers. False with a reason in `error` on any failure.
    bool Start(QString* error = nullptr);
    // Ends slow bodies, stops both servers and joins their threads. Safe to
    // call twice.
    void Stop();

    int HttpPort() const { return httpPort_; }
    int HttpsPort() const { return httpsPort_; }
    // "HOST:80:127.0.0.1:HTTP,HOST:443:127.0.0.1:HTTPS,..." for every host.
    QString ConnectToValue() const;
    // The test CA that signed the HTTPS certificate ("ca.pem").
    QString CaBundlePath() const;
    QString StateDir() const { return stateDir_; }
    // The generated file behind a media kind ("flv", "mp4", "videoonly", "swf").
    QString MediaPath(const QString& kind) const;
    const SimCatalogue& Catalogue() const { return *catalogue_; }

    // The generic video host, which answers every host name HostNames()
    // does not list: "http://127.0.0.1:PORT" and "https://127.0.0.1:TLSPORT"
    // (the certificate names 127.0.0.1 and localhost too).
    QString GenericBase() const;
    QString GenericTlsBase() const;
    // "/media/ID.mp4": where the host serves an entry's file; empty for an unknown id.
    QString GenericMediaPath(const QString& id) const;
    // The generated file behind that address.
    QString GenericMediaFile(const QString& id) const;
    // The account /signin takes, and the cookie it sets ("zorv_member=VALUE").
    SimAccount GenericAccount() const;
    QString GenericMemberCookie() const;

    // Connections requests have come on so far, on both servers (each has
    // its own client port): shows whether a client reused its connections.
    int Connections() const;

    void SetPublishedVersion(const QString& version);
    void SetVersionFile(VersionFileMode mode);
    void SetMediaFault(const QString& fault);
    // The media requests so far (path and Range header), oldest first; the
    // faults that count attempts count from the last clear.
    std::vector<MediaRequest> MediaRequests() const;
    void ClearMediaRequests();

    // Every host name the simulator answers for.
    static QStringList HostNames();

  private:
    void Dispatch(const httplib::Request& req, httplib::Response& res) const;
    void InstallHandlers(httplib::Server& server);
    bool Fail(QString* error, const QString& text);

    SiteSimulatorOptions options_;
    QString stateDir_;
    std::unique_ptr<QTemporaryDir> tempDir_;
    std::unique_ptr<SimCatalogue> catalogue_;
    std::unique_ptr<MediaLibrary> media_;
    std::unique_ptr<TestCertificate> certificate_;
    std::unique_ptr<SimContext> context_;
    struct Sites;
    std::unique_ptr<Sites> sites_;
    std::unique_ptr<httplib::Server> http_;
    std::unique_ptr<httplib::SSLServer> https_;
    std::thread httpThread_, httpsThread_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
    mutable std::mutex connectionsMutex_;
    std::set<std::pair<bool, int>> clientPorts_; // (TLS, client port)
};
