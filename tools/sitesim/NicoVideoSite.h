#pragma once
// The comment-video site: the secure login form, watch pages, the "getflv"
// media interface and the "smile" media host. A right login sets the
// "user_session" cookie for the whole domain; getflv of a members-only entry
// answers without an address unless that cookie comes with the request.
// Handle runs on any server thread.

#include "sitesim/SimContext.h"

#include <httplib.h>

class NicoVideoSite {
  public:
    static constexpr const char* kWebHost = "www.nicovideo.jp";
    static constexpr const char* kSecureHost = "secure.nicovideo.jp";
    static constexpr const char* kMediaHost = "smile-com00.nicovideo.jp";

    explicit NicoVideoSite(const SimContext& ctx) : ctx_(ctx) {}

    bool HandleWeb(const httplib::Request& req, httplib::Response& res) const;
    bool HandleSecure(const httplib::Request& req, httplib::Response& res) const;
    bool HandleMedia(const httplib::Request& req, httplib::Response& res) const;

    // "http://smile-com00.nicovideo.jp/smile?m=1002.22" (key m, s or v)
    static QString MediaAddress(const SimVideo& video);

  private:
    void Login(const httplib::Request& req, httplib::Response& res) const;
    void GetFlv(const httplib::Request& req, httplib::Response& res) const;
    bool SignedIn(const httplib::Request& req) const;

    const SimContext& ctx_;
};
