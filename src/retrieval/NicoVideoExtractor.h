#pragma once
// NicoVideo watch pages. With an account set (NicoUser / NicoPasswd) every
// attempt first posts the site's login form; the shared cookie jar then
// carries the sign-in into the later requests. After the watch page is
// fetched, the media interface ("getflv") names the media address, whose
// "smile" query key gives the file type.
//
// Threads: like every extractor, used on the batch thread only. The
// account-notice flag is process-wide and atomic.

#include "retrieval/SiteExtractor.h"

class NicoVideoExtractor : public SiteExtractor {
  public:
    static constexpr const char* kDomain = "nicovideo.jp";
    static constexpr const char* kWebHost = "www.nicovideo.jp";
    static constexpr const char* kSecureHost = "secure.nicovideo.jp";

    NicoVideoExtractor();

    // The last path segment of a watch address ("/watch/sm9" gives "sm9"),
    // or "nico" when the address does not match.
    QString GetVideoId() override;
    // Takes the account from the settings, shows the missing-account notice
    // once per run, and signs in when an account is set. 0 to go on; else
    // the attempt ends (status 202 or 204 posted).
    int PrepareSession() override;
    // Posts the login form. 0 when the site redirected (signed in); -1 when
    // it answered otherwise; 202 on an unexpected failure; the code of a
    // network failure.
    int Login(const QString& videoId, const QString& mail, const QString& password) override;
    // Asks the media interface for the media address. 0 with mediaUrl,
    // title and extension set; -2 when the reply names no usable address.
    int ParsePage(const QString& text) override;
    // ParsePage's work once the media interface answered `reply` (empty when
    // it failed); `text` is the watch page.
    int ParseFlvReply(const QString& reply, const QString& text);

    // The login form body; every value is form-encoded.
    static QString LoginFormBody(const QString& videoId, const QString& mail, const QString& password);

    // Test hook: forgets that the account notice was shown in this process.
    static void ResetAccountNoticeForTesting();
};
