#pragma once
// A present-day video host with plain HTML5 pages, answering every host name
// the other simulated sites do not claim (in practice 127.0.0.1:PORT and
// localhost:PORT, since a general-purpose downloader run by the program is
// not routed by host name). Its pages carry Open Graph tags and <video>
// elements, a members' area behind a sign-in cookie and media that answer
// byte ranges. Handle runs on any server thread.
//
//   /                 links to every entry
//   /watch/ID         one video (entries that need a sign-in redirect to /members/ID)
//   /three            the three entries marked "three", one <video> each, catalogue order
//   /members/ID       the video page, or 403 without the member cookie
//   /signin           GET: the form; POST user + password: the member cookie and 303 to /
//   /slow/ID          the video page with its media slowed down (fault "slow")
//   /media/ID.EXT     the entry's file; ranges, "fault=" as on every media host

#include "sitesim/SimContext.h"

#include <httplib.h>

#include <QString>

class GenericVideoSite {
  public:
    // Set by a good sign-in, wanted by /members/ and the members' media.
    static constexpr const char* kMemberCookie = "zorv_member";
    // Handed to anyone turned away, as sites hand out a visitor session.
    static constexpr const char* kVisitorCookie = "zorv_visitor";

    explicit GenericVideoSite(const SimContext& ctx) : ctx_(ctx) {}

    bool Handle(const httplib::Request& req, httplib::Response& res) const;

    // "/media/ID.mp4": the address of an entry's file on this host.
    static QString MediaPath(const SimVideo& video);
    // "zorv_member=VALUE" as the sign-in sets it.
    QString MemberCookie() const;

  private:
    bool IsMember(const httplib::Request& req) const;
    void Index(const httplib::Request& req, httplib::Response& res) const;
    void Watch(const httplib::Request& req, httplib::Response& res, const SimVideo& video,
               const QString& fault) const;
    void Three(const httplib::Request& req, httplib::Response& res) const;
    void Forbidden(httplib::Response& res) const;
    void SignIn(const httplib::Request& req, httplib::Response& res) const;
    void Media(const httplib::Request& req, httplib::Response& res, const QString& name) const;

    const SimContext& ctx_;
};
