#pragma once
// The video search site's player pages ("/videoplay?docid=ID"): pages whose
// embedded player receives the media address, a page with only the tail of
// that parameter, pages that frame a video hosted elsewhere, the "srcurl="
// hand-over, and the media files. Handle runs on any server thread.

#include "sitesim/SimContext.h"

#include <httplib.h>

class GoogleVideoSite {
  public:
    static constexpr const char* kHost = "video.google.com";

    explicit GoogleVideoSite(const SimContext& ctx) : ctx_(ctx) {}

    bool Handle(const httplib::Request& req, httplib::Response& res) const;

    // "http://video.google.com/videoplayback?docid=ID&begin=0"
    static QString MediaAddress(const QString& id);

  private:
    void VideoPlay(const httplib::Request& req, httplib::Response& res) const;

    const SimContext& ctx_;
};
