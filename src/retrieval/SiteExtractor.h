#pragma once
// The base of the site extractors: one object per queued item that turns a
// video page address into a media address and a title, and names the output
// file. Subclasses supply the site's video id and page parsing, and where the
// site needs them its sign-in, age confirmation and session preparation.
//
// Result values of the operations: 0 success; 111 the user stopped the
// batch; 205 follow another address (pageUrl now holds it, its site must be
// detected anew); -2 the page held no media address; 100..112 / 200..208 a
// status code the operation posted; anything else a failure (-1, network
// failure codes, ...).
//
// Threads: created, used and destroyed on the batch thread only.

#include "retrieval/TransferContext.h"
#include "retrieval/VideoSite.h"

#include <QString>

class SiteExtractor {
  public:
    SiteExtractor(VideoSite site, const QString& siteName);
    virtual ~SiteExtractor();
    SiteExtractor(const SiteExtractor&) = delete;
    SiteExtractor& operator=(const SiteExtractor&) = delete;

    virtual void SetUser(const QString& text);
    virtual void SetPassword(const QString& text);
    // PrepareSession, FetchPage (pageUrl), ParsePage, with their statuses.
    virtual int Resolve();
    virtual int Login(const QString& videoId, const QString& user, const QString& password);
    virtual int ConfirmAgeVerify();
    virtual QString GetVideoId() = 0;
    virtual int PrepareSession();
    // Fetches a page as text through CVideoDownloader, posting 104 / 105
    // (with texts that say a page is read); a failure's cause becomes the
    // item's error text.
    virtual int FetchPage(const QString& address, QString& text);
    // Site parsing; the base only reads the title.
    virtual int ParsePage(const QString& text);
    // Forms the final and temporary paths; 1 on success, 0 when no usable
    // name exists (the reason is given to the owner's SetError).
    virtual int MakeFileName(const QString& folder, int useTitle, QString& finalPath, QString& tempPath);

    // The page's <title> (entities decoded) into `title`, handed to the
    // owner's PostTitle; `videoId` when there is none.
    int ParseTitle(const QString& text);

    // The first free path in the folder MakeFileName chose, for the name it
    // chose, with extension `ext` (the name cut to fit it); empty when none
    // is free or it cannot fit.
    QString FreePathFor(const QString& ext) const;

    QString user;
    QString password;
    VideoSite site;
    QString pageUrl;
    QString videoId;
    QString title;
    QString mediaUrl;
    QString siteName;
    QString extension = QStringLiteral("flv");
    // True when the site named the media's container (then `extension` is
    // it); otherwise the file's first bytes tell it once it has arrived.
    bool containerKnown = false;
    // What MakeFileName chose: the site folder and the cleaned name, before
    // it was cut to fit and numbered.
    QString fileFolder;
    QString fileBase;
    TransferContext* owner = nullptr; // the batch running this item; not owned

  private:
    // Bytes of UTF-8 the name may have with extension `ext` in fileFolder.
    int NameBudget(const QString& ext) const;
};
