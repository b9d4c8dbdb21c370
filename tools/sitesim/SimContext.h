#pragma once
// What every simulated site reads while answering: the catalogue, the media
// files, the accounts, and the few switches a test may flip while the servers
// run. The catalogue, media and accounts are fixed before the servers start;
// the switches are guarded by a mutex because any server thread reads them
// while the controlling thread may set them.

#include "sitesim/MediaFaults.h"
#include "sitesim/MediaLibrary.h"
#include "sitesim/SimCatalogue.h"

#include <QString>

#include <atomic>
#include <mutex>

// How the update host answers for the version file.
enum class VersionFileMode {
    Misspelt, // section "Gerneral": what the program reads
    Correct,  // section "General": reads as 0.0.0 in the program
    Missing,  // 404
    Empty     // 200 with an empty body
};

class SimContext {
  public:
    SimContext(const SimCatalogue& catalogue, const MediaLibrary& media, SimAccount youTube, SimAccount nico,
               QString sessionToken)
        : catalogue(catalogue), media(media), youTubeAccount(std::move(youTube)),
          nicoAccount(std::move(nico)), sessionToken(std::move(sessionToken)) {}

    const SimCatalogue& catalogue;
    const MediaLibrary& media;
    const SimAccount youTubeAccount;
    const SimAccount nicoAccount;
    // Value of every sign-in cookie this run hands out.
    const QString sessionToken;
    // Set by Stop so slow media bodies end instead of holding the shutdown.
    std::atomic<bool> stopping{false};
    // Every media request, for the faults that count attempts and for tests.
    mutable MediaRequestLog mediaRequests;

    QString PublishedVersion() const;
    void SetPublishedVersion(const QString& version);
    VersionFileMode VersionFile() const;
    void SetVersionFile(VersionFileMode mode);
    // A fault applied to every media reply that has none of its own.
    QString MediaFault() const;
    void SetMediaFault(const QString& fault);

  private:
    mutable std::mutex mutex_;
    QString publishedVersion_ = "1.0.9";
    VersionFileMode versionFile_ = VersionFileMode::Misspelt;
    QString mediaFault_;
};
