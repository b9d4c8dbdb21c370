#pragma once
// One queued item of a batch: its attempts (resolve the page, name the file,
// download the media, put the file in place), the retries, the waits for a
// CAPTCHA or sign-in dialog, and the temporary files it made, every one of
// which it deletes unless the file was put in place.
//
// The item talks to its batch only through ItemHost (the worker implements
// it): it owns its own file names and the resume state of its media file.
//
// Threads: made, run and destroyed on the batch thread of its worker.

#include "retrieval/ItemHost.h"
#include "retrieval/SiteExtractor.h"
#include "retrieval/TransferResult.h"

#include <QString>
#include <QStringList>

#include <memory>

class DownloadItem {
  public:
    DownloadItem(ItemHost& host, int row);
    ~DownloadItem();
    DownloadItem(const DownloadItem&) = delete;
    DownloadItem& operator=(const DownloadItem&) = delete;

    // Runs the item to its end and posts its last statuses (110 / 111).
    // True when it failed because the page was not in the form its
    // extractor knows (not for a network error or a stop).
    bool Run(std::unique_ptr<SiteExtractor> extractor);

  private:
    enum class Outcome { Failed, Succeeded, Ended };

    // Waits for the dialog of `kind`; the first one that closes earns the
    // item one more attempt.
    void AwaitDialog(BrowserDialog kind, bool& mark);
    // Names the file, downloads it and puts it in place.
    Outcome Download(SiteExtractor& p);
    // Creates the temporary file exclusively, taking the next free name
    // when another download has just taken this one.
    bool ReserveTemporaryFile();
    // Continues the temporary file just reserved when a killed run left it
    // for this page with what identifies its answer (resume_ is set);
    // otherwise it starts empty, marked as this page's.
    void ContinueKilledDownload(const QString& pageUrl);
    // A file whose container the site did not name gets the extension its
    // first bytes tell, under the next free name with it.
    void NameAfterContainer(const SiteExtractor& p);
    // Deletes the temporary files this item made, all but `keep` (which
    // stays recorded, so the item still deletes it in the end).
    void DeleteTemporaryFiles(const QString& keep = QString());

    // What the file's name is made of (MakeFileName's inputs).
    QString NameKey(const SiteExtractor& p) const;

    ItemHost& w_;
    const int row_;
    QString finalPath_;
    QString tempPath_;
    // What the temporary file holds from a broken attempt.
    MediaResume resume_;
    int retriesLeft_ = 0;
    int attemptNumber_ = 0;
    QStringList created_;
    QString keptNameKey_; // what named the current temporary file
};
