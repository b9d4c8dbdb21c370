#pragma once
// The clip site's watch pages ("/watch/ID/slug/"), whose player parameters
// carry the media address as a "mediaURL=" value on the site's old media host
// name, and the media host that really serves those files. Handle runs on any
// server thread.

#include "sitesim/SimContext.h"

#include <httplib.h>

class MetacafeSite {
  public:
    static constexpr const char* kWebHost = "www.metacafe.com";
    // The name pages still use, and the one clients must ask instead.
    static constexpr const char* kOldMediaHost = "akvideos.metacafe.com";
    static constexpr const char* kMediaHost = "v.mccont.com";

    explicit MetacafeSite(const SimContext& ctx) : ctx_(ctx) {}

    bool HandleWeb(const httplib::Request& req, httplib::Response& res) const;
    bool HandleMedia(const httplib::Request& req, httplib::Response& res) const;

    // On the old host name, as the page names it (decoded once):
    // "http://akvideos.metacafe.com/ItemFiles/%5BFrom%20www.metacafe.com%5D%20ID.flv"
    static QString MediaAddress(const QString& id, const QString& suffix = QString());

  private:
    void Watch(const SimVideo& video, httplib::Response& res) const;

    const SimContext& ctx_;
};
