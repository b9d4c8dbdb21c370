#include "cli/CliBatch.h"

#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "cli/CliText.h"
#include "cli/ProgressView.h"
#include "history/HistoryRowText.h"
#include "retrieval/AddressRoute.h"

#include <chrono>

CliBatch::CliBatch(ProgressView& view, SqliteConnection* history) : view_(view), session_(&queue_, *this) {
    session_.SetHistory(history);
}

CliBatch::~CliBatch() {
    if (session_.Worker().IsRunning())
        session_.Worker().Stop();
}

bool CliBatch::AllDownloaded() const {
    for (const Result& r : results_)
        if (!r.downloaded || r.actionFailed)
            return false;
    return true;
}

QStringList CliBatch::Result::Lines() const {
    QStringList lines;
    if (!originalRemoved)
        lines << line;
    if (!actionLine.isEmpty())
        lines << actionLine;
    return lines;
}

void CliBatch::Run(const QStringList& addresses) {
    session_.Configure(*Settings().Shared());
    if (afterDownload)
        session_.SetAfterDownload(*afterDownload);
    DownloadWorker& worker = session_.Worker();

    results_.assign(addresses.size(), Result{});
    int queued = 0;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        const RoutedAddress routed = RouteAddress(addresses[i]);
        results_[i].address = routed.tooLong ? addresses[i].left(100) + QChar(0x2026) : routed.address;
        if (routed.route == AddressRoute::Refused) {
            // The worker skips such addresses without a word; say why here.
            results_[i].line = routed.tooLong
                                   ? QStringLiteral("error: longer than %1 KiB, not an address")
                                         .arg(kMaxAddressLength / 1024)
                                   : QStringLiteral("error: not a web address (http:// or https://): ") +
                                         Printable(routed.address);
            continue;
        }
        worker.Enqueue(routed.address, int(i));
        ++queued;
    }
    if (queued > 0) {
        if (!worker.Start()) {
            for (Result& r : results_)
                if (r.line.isEmpty())
                    r.line = QStringLiteral("error: the download could not be started");
            return;
        }
        while (!finished_ || session_.ActionsOutstanding() > 0) {
            if (!stopping_ && stopRequested && stopRequested()) {
                stopping_ = true;
                view_.Line(QStringLiteral("Stopping..."));
                // ffmpeg is interrupted at once (the worker may take a while),
                // and no download still being identified gets its action.
                session_.SetAfterDownload(MediaAction());
                session_.StopActions();
                worker.Stop();
            }
            if (auto m = queue_.Wait(std::chrono::milliseconds(100)))
                session_.Dispatch(*m);
        }
    }
    for (size_t i = 0; i < results_.size(); ++i) {
        Result& r = results_[i];
        if (!r.line.isEmpty())
            continue;
        const auto snapshot = worker.RowSnapshot(int(i));
        if (r.stopped)
            r.line = QStringLiteral("stopped: ") + Shown(r);
        else if (!snapshot && stopping_)
            r.line = QStringLiteral("not started, the batch was stopped: ") + Shown(r);
        else if (const QString error = snapshot ? snapshot->lastError : QString(); !error.isEmpty())
            r.line = QStringLiteral("error: ") + Printable(error);
        else
            r.line = QStringLiteral("error: not downloaded");
    }
}

QString CliBatch::Shown(const Result& r) {
    const QString address = Printable(r.address);
    return r.playlistItem > 0 ? QStringLiteral("%1 (video %2)").arg(address, QString::number(r.playlistItem))
                              : address;
}

void CliBatch::NoteRow(int row) {
    if (row == currentRow_ || row < 0 || row >= int(results_.size()))
        return;
    currentRow_ = row;
    lastErrorLine_.clear();
    view_.BeginItem(Shown(results_[row]), row + 1, int(results_.size()));
}

void CliBatch::OnItemEntries(int, const std::vector<PageEntry>& entries) {
    // Each further video of the page is a result of its own, downloaded
    // after everything queued so far.
    for (const PageEntry& e : entries) {
        if (results_.size() >= 65535)
            break; // rows are numbered in 16 bits
        Result r;
        r.address = e.address;
        r.playlistItem = e.playlistItem;
        results_.push_back(r);
        session_.Worker().Enqueue(e.address, int(results_.size()) - 1, e.playlistItem);
    }
}

void CliBatch::OnItemProgress(int row, int perMille, quint64 received, quint64 total, const QString&) {
    NoteRow(row);
    view_.Progress(perMille, received, total);
}

void CliBatch::OnItemRetry(int row, int retry) {
    NoteRow(row);
    lastErrorLine_.clear();
    view_.Line(QStringLiteral("  ") +
               FillFormat(LoadText(TextId::RetryingDownload), {QString::number(retry)}));
}

void CliBatch::OnItemTitle(int row, const QString& title) {
    NoteRow(row);
    if (!title.isEmpty())
        view_.Line(QStringLiteral("  ") + Printable(title));
}

void CliBatch::OnBatchEnded(bool stopped) {
    // A page's further videos may arrive after the batch ran out of work:
    // they make one more batch.
    if (!stopped && !stopping_ && session_.Worker().QueuedCount() > 0 && session_.Worker().Start())
        return;
    finished_ = true;
}

void CliBatch::OnItemStatus(int row, int code, const QString& text, const QString& error) {
    NoteRow(row);
    const QString shown = Printable(text);
    if (code == DownloadStatus::Stopped && row >= 0 && row < int(results_.size()))
        results_[row].stopped = true;
    if (code == DownloadStatus::CaptchaRequired || code == DownloadStatus::SignInRequired) {
        // The prompt follows in OnDialogNeeded.
        if (!shown.isEmpty())
            view_.Line(QStringLiteral("  ") + shown);
        return;
    }
    if (code >= 200) {
        // The transfer a stop cuts short fails on its way out; the stop is
        // what happened, and the item's last line says so.
        if (stopping_)
            return;
        const QString line =
            QStringLiteral("  ") +
            (error.isEmpty() ? shown : FillFormat(LoadText(TextId::DownloadError), {Printable(error)}));
        // A failed attempt often reports the same error twice (download, then attempt).
        if (line != lastErrorLine_)
            view_.Line(line);
        lastErrorLine_ = line;
        return;
    }
    if (!shown.isEmpty())
        view_.Line(QStringLiteral("  ") + shown);
}

void CliBatch::OnDialogNeeded(int, BrowserDialog kind, const QString& address) {
    const QString prompt = kind == BrowserDialog::Captcha
                               ? QStringLiteral("The site asks for a verification code. Open this "
                                                "address in a browser and solve it:\n  %1")
                               : QStringLiteral("The site asks you to sign in. Open this address in "
                                                "a browser and sign in:\n  %1");
    if (waitForUser)
        waitForUser(prompt.arg(Printable(address)));
}

void CliBatch::OnItemRecorded(const RecordedItem& item) {
    const int row = item.row;
    if (row < 0 || row >= int(results_.size()) || !item.published)
        return;
    Result& r = results_[row];
    r.downloaded = true;
    if (!item.identified) {
        // The file is there; only its description is missing.
        r.line = FillFormat(LoadText(TextId::NotAVideo), {Printable(item.path)});
        return;
    }
    const HistoryRowText text = MakeHistoryRowText(item.task);
    r.line = DownloadedLine(item.path, text.duration, item.info);
    if (item.historyTried && !item.historyInserted)
        view_.Warning(QStringLiteral("not recorded in the history: ") + Printable(item.path));
    const MediaAction& action = session_.AfterDownload();
    if (!action.IsSet())
        return;
    QString what;
    switch (action.format) {
    case MediaFormat::Original:
        what = QStringLiteral("Cutting");
        break;
    case MediaFormat::Mp3:
        what = QStringLiteral("Converting to MP3");
        break;
    case MediaFormat::M4a:
        what = QStringLiteral("Converting to M4A");
        break;
    case MediaFormat::Mp4:
        what = QStringLiteral("Converting to MP4");
        break;
    }
    if (action.range)
        what += (action.format == MediaFormat::Original ? QStringLiteral(" ") : QStringLiteral(", ")) +
                MediaRangeLabel(*action.range);
    view_.BeginAction(what);
}

void CliBatch::OnActionProgress(quint64, int row, int perMille) {
    NoteRow(row);
    view_.ActionProgress(perMille);
}

void CliBatch::OnActionEnded(const ActionRecord& record) {
    const int row = record.request.row;
    if (row < 0 || row >= int(results_.size()))
        return;
    Result& r = results_[row];
    if (record.stopped) {
        r.actionFailed = true;
        r.actionLine = QStringLiteral("stopped: ") + Shown(r);
        return;
    }
    if (!record.done) {
        r.actionFailed = true;
        r.actionLine = QStringLiteral("error: ") + Printable(record.error);
        if (!stopping_)
            view_.Line(QStringLiteral("  ") + Printable(record.error));
        return;
    }
    r.originalRemoved = record.originalRemoved;
    if (!record.identified) {
        r.actionLine = FillFormat(LoadText(TextId::NotAVideo), {Printable(record.path)});
        return;
    }
    const HistoryRowText text = MakeHistoryRowText(record.task);
    r.actionLine = record.info.videoFormat.isEmpty()
                       ? AudioLine(record.path, text.duration, record.info)
                       : DownloadedLine(record.path, text.duration, record.info);
    if (record.historyTried && !record.historyInserted)
        view_.Warning(QStringLiteral("not recorded in the history: ") + Printable(record.path));
}
