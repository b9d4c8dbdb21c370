#pragma once
// The video site's main web host and its short-link host: the language
// redirect, watch pages with their stream maps, the video information
// interface and the media addresses the stream maps point at. The CAPTCHA,
// age gate and sign-in pages live in YouTubeGates. Handle runs on any server
// thread and reads only the shared context.

#include "sitesim/SimContext.h"

#include <httplib.h>

class YouTubeSite {
  public:
    static constexpr const char* kWebHost = "www.youtube.com";
    static constexpr const char* kShortHost = "youtu.be";

    explicit YouTubeSite(const SimContext& ctx) : ctx_(ctx) {}

    // False when the path is not one this host knows.
    bool Handle(const httplib::Request& req, httplib::Response& res) const;

    // "http://www.youtube.com/videoplayback?id=ID&itag=N&signature=..."
    static QString MediaAddress(const QString& id, int itag);
    // Derived from the id, so every run and every test sees the same token.
    static QString TokenFor(const QString& id);

  private:
    void Home(const httplib::Request& req, httplib::Response& res) const;
    void Watch(const httplib::Request& req, httplib::Response& res) const;
    void VideoInfo(const httplib::Request& req, httplib::Response& res) const;
    void Media(const httplib::Request& req, httplib::Response& res) const;
    QString StreamMapScript(const SimVideo& video) const;

    const SimContext& ctx_;
};
