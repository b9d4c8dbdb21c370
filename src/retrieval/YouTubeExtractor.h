#pragma once
// YouTube video pages. The watch page carries the stream map (every encoding
// the site offers with its address); the information interface gives the
// title. One stream is chosen by the user's format preference (YoutubeFMT).
// A CAPTCHA page or an age gate hands a browser dialog's address to the
// worker (statuses 207 / 208), which shows it and retries the item.
//
// Threads: like every extractor, created, used and destroyed on the batch
// thread only; settings are read through Settings().Shared().

#include "retrieval/SiteExtractor.h"

#include <QString>

#include <optional>
#include <span>

class YouTubeExtractor : public SiteExtractor {
  public:
    static constexpr const char* kWebHost = "www.youtube.com";
    static constexpr const char* kShortLinkDomain = "youtu.be";
    static constexpr const char* kMainDomain = "youtube.com";
    static constexpr const char* kAccountsHost = "accounts.google.com";

    // One entry of a format preference list: the stream's itag and the
    // container it comes in (not used for naming: files keep "flv").
    struct FormatEntry {
        int itag;
        const char* container;
    };

    YouTubeExtractor();

    // The preference list a YoutubeFMT value selects: the value modulo 6,
    // a negative remainder taking list 2.
    static std::span<const FormatEntry> PreferenceList(int youtubeFmt);
    // The accounts host's sign-in page that hands over to the web host.
    static QString SignInAddress();

    // Posts 100 and signs in with ClientLogin (form values percent-encoded);
    // 101 once the accounts host accepted and redirected. 0 on a redirect or
    // a page (a refusal is a page too), -1 otherwise, 202 on a text failure,
    // a network failure's code. `videoId` is not used.
    int Login(const QString& videoId, const QString& user, const QString& password) override;
    // Posts 102 and confirms the age gate; 103 once the site redirected.
    // 0 / -1 / 203 / network code as Login.
    int ConfirmAgeVerify() override;
    // The id from a watch, embed or short-link address; "youtube" when the
    // address names none.
    QString GetVideoId() override;
    // Language cookie, watch page (stream map), information interface
    // (title, handed to the owner's PostTitle when there is one). 0 to go on
    // with the page; otherwise the attempt's result.
    int PrepareSession() override;
    // Chooses the stream from `streamMap` (the page text is not used); -1
    // when there is no stream map.
    int ParsePage(const QString& text) override;

    // Posts 112 and asks the site for English / US pages (a cookie). 0 when
    // the site redirected, -1 otherwise, 206 on a failure.
    int SetLanguage();
    // Fetches the watch page into `streamMap`. 0 found; -1 page not fetched;
    // 207 CAPTCHA page; 208 age gate; 200 no stream map.
    int Step1_GetVideoWebPage();
    // The stream map a watch page carries (the older field first); nullopt
    // when it has none.
    static std::optional<QString> FindStreamMap(const QString& page);
    // Asks the information interface (with `suffix` added to its query) for
    // the title. 0 answered with a token; 200 no token; -1 not fetched.
    int GetVideoInfo(const QString& suffix);
    // GetVideoInfo's reading of an answer: 0 when it holds a token (`title`
    // set when it names one), 200 otherwise.
    static int ReadVideoInfo(const QString& reply, QString& title);

    QString streamMap;

  private:
    // POSTs a form; on a redirect fetches its target and posts `doneStatus`.
    // 0 on a redirect or a page, -1 otherwise, `textFailureResult` on a text
    // failure, a network failure's code.
    int PostForm(const char* label, const QString& address, const QString& body, int doneStatus,
                 int textFailureResult);
};
