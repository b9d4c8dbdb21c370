#pragma once
// The pages that stand between a client and a guarded YouTube video: the
// CAPTCHA page, the age gate, the sign-in hand-over on the web host, and the
// accounts host's sign-in form and programmatic login. Passing a gate sets a
// cookie whose value is the run's session token; the watch page checks it.
// Handle runs on any server thread and reads only the shared context.

#include "sitesim/SimContext.h"

#include <httplib.h>

class YouTubeGates {
  public:
    static constexpr const char* kAccountsHost = "accounts.google.com";
    // The word the CAPTCHA page asks for.
    static constexpr const char* kCaptchaWord = "zorv";

    explicit YouTubeGates(const SimContext& ctx) : ctx_(ctx) {}

    // Paths of the web host; false when the path is not a gate page.
    bool HandleWebHost(const httplib::Request& req, httplib::Response& res) const;
    // Paths of the accounts host; false when unknown.
    bool HandleAccounts(const httplib::Request& req, httplib::Response& res) const;

  private:
    void Captcha(const httplib::Request& req, httplib::Response& res) const;
    void VerifyAge(const httplib::Request& req, httplib::Response& res) const;
    void SignIn(const httplib::Request& req, httplib::Response& res) const;
    void ServiceLogin(const httplib::Request& req, httplib::Response& res) const;
    void ClientLogin(const httplib::Request& req, httplib::Response& res) const;
    bool RightAccount(const QString& user, const QString& password) const;

    const SimContext& ctx_;
};
