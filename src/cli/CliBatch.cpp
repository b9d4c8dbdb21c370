#include "cli/CliBatch.h"

#include "base/AppSettings.h"
#include "base/TextFill.h"
#include "base/Localization.h"
#include "base/OutputFolder.h"
#include "cli/CliText.h"
#include "cli/ProgressView.h"
#include "history/HistoryDb.h"
#include "history/HistoryRowText.h"
#include "mediatools/IdentifyMedia.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/ExtractorFactory.h"

#include <QThread>

#include <chrono>

namespace {
// How long the browser address may trail its status notification.
constexpr int kAddressWaitMs = 5000;
} // namespace

CliBatch::CliBatch(ProgressView& view, SqliteConnection* history)
    : view_(view), history_(history), worker_(std::make_shared<DownloadWorker>(&queue_)) {}

CliBatch::~CliBatch() {
    if (worker_->running)
        worker_->Stop();
}

bool CliBatch::AllDownloaded() const {
    for (const Result& r : results_)
        if (!r.downloaded)
            return false;
    return true;
}

void CliBatch::Run(const QStringList& addresses) {
    const auto settings = Settings().Shared();
    worker_->outputFolder = NormalizeOutputFolder(settings->OutputFolder);
    worker_->useTitle = settings->UseTitleAsFileName;
    worker_->retryTimes = settings->RetryTimes;
    worker_->useInternalCache = settings->UseInternalCache;

    results_.assign(addresses.size(), Result{});
    int queued = 0;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        results_[i].address = addresses[i];
        if (DetectSite(addresses[i]) < 0) {
            // The worker skips such addresses without a word; say why here.
            results_[i].line = QStringLiteral("error: not a video page of YouTube, Google Video, Metacafe "
                                              "or NicoVideo: ") +
                               Printable(addresses[i]);
            continue;
        }
        worker_->Enqueue(addresses[i], int(i));
        ++queued;
    }
    if (queued > 0) {
        if (!worker_->Start()) {
            for (Result& r : results_)
                if (r.line.isEmpty())
                    r.line = QStringLiteral("error: the download could not be started");
            return;
        }
        while (!finished_) {
            if (!stopping_ && stopRequested && stopRequested()) {
                stopping_ = true;
                view_.Line(QStringLiteral("Stopping..."));
                worker_->Stop();
            }
            if (auto m = queue_.Wait(std::chrono::milliseconds(100)))
                Handle(*m);
        }
    }
    for (size_t i = 0; i < results_.size(); ++i) {
        Result& r = results_[i];
        if (!r.line.isEmpty())
            continue;
        const auto snapshot = worker_->RowSnapshot(int(i));
        if (r.stopped)
            r.line = QStringLiteral("stopped: ") + Printable(r.address);
        else if (!snapshot && stopping_)
            r.line = QStringLiteral("not started, the batch was stopped: ") + Printable(r.address);
        else if (const QString error = snapshot ? snapshot->lastError : QString(); !error.isEmpty())
            r.line = QStringLiteral("error: ") + Printable(error);
        else
            r.line = QStringLiteral("error: not downloaded");
    }
}

void CliBatch::NoteRow(int row) {
    if (row == currentRow_ || row < 0 || row >= int(results_.size()))
        return;
    currentRow_ = row;
    lastErrorLine_.clear();
    view_.BeginItem(Printable(results_[row].address), row + 1, int(results_.size()));
}

void CliBatch::Handle(const PostedMessage& m) {
    switch (m.msg) {
    case UM_DOWNLOAD_PROGRESS:
    case UM_DOWNLOAD_ITEM_DONE:
    case UM_DOWNLOAD_RETRY:
        NoteRow(int(m.lParam));
        break;
    case UM_DOWNLOAD_STATUS:
        NoteRow(DownloadStatus::RowOf(m.lParam));
        break;
    case UM_DOWNLOAD_TITLE:
        NoteRow(int(m.wParam));
        break;
    default:
        break;
    }
    switch (m.msg) {
    case UM_DOWNLOAD_PROGRESS:
        view_.Progress(int(m.wParam), worker_->receivedBytes.load(), worker_->totalBytes.load());
        break;
    case UM_DOWNLOAD_STATUS:
        OnStatus(DownloadStatus::CodeOf(m.lParam), DownloadStatus::RowOf(m.lParam), m.text);
        break;
    case UM_DOWNLOAD_ITEM_DONE:
        OnItemDone(int(m.lParam));
        break;
    case UM_DOWNLOAD_RETRY:
        lastErrorLine_.clear();
        view_.Line(QStringLiteral("  ") + FillFormat(LoadText(32832), {QString::number(m.wParam)}));
        break;
    case UM_DOWNLOAD_TITLE:
        if (auto s = worker_->RowSnapshot(int(m.wParam)); s && !s->title.isEmpty())
            view_.Line(QStringLiteral("  ") + Printable(s->title));
        break;
    case UM_DOWNLOAD_ALL_DONE:
    case UM_DOWNLOAD_STOPPED:
        finished_ = true;
        break;
    default:
        break;
    }
}

void CliBatch::OnStatus(int code, int row, const std::optional<QString>& text) {
    const QString shown = Printable(text ? *text : DownloadWorker::StatusText(code));
    if (code == DownloadStatus::Stopped && row >= 0 && row < int(results_.size()))
        results_[row].stopped = true;
    if (code == DownloadStatus::CaptchaRequired || code == DownloadStatus::SignInRequired) {
        const bool captcha = code == DownloadStatus::CaptchaRequired;
        QString address;
        for (int waited = 0; waited < kAddressWaitMs && address.isEmpty(); waited += 20) {
            const auto s = worker_->RowSnapshot(row);
            address = s ? (captcha ? s->captchaAddress : s->signInAddress) : QString();
            if (address.isEmpty())
                QThread::msleep(20);
        }
        if (!shown.isEmpty())
            view_.Line(QStringLiteral("  ") + shown);
        const QString prompt = captcha ? QStringLiteral("The site asks for a verification code. Open this "
                                                        "address in a browser and solve it:\n  %1")
                                       : QStringLiteral("The site asks you to sign in. Open this address in "
                                                        "a browser and sign in:\n  %1");
        if (waitForUser)
            waitForUser(prompt.arg(Printable(address)));
        (captcha ? worker_->captchaDone : worker_->signInDone).Set();
        return;
    }
    if (code >= 200) {
        const auto s = worker_->RowSnapshot(row);
        const QString error = s ? s->lastError : QString();
        const QString line =
            QStringLiteral("  ") + (error.isEmpty() ? shown : FillFormat(LoadText(32831), {Printable(error)}));
        // A failed attempt often reports the same error twice (download, then attempt).
        if (line != lastErrorLine_)
            view_.Line(line);
        lastErrorLine_ = line;
        return;
    }
    if (!shown.isEmpty())
        view_.Line(QStringLiteral("  ") + shown);
}

void CliBatch::OnItemDone(int row) {
    if (row < 0 || row >= int(results_.size()))
        return;
    const auto s = worker_->RowSnapshot(row);
    if (!s)
        return;
    Result& r = results_[row];
    r.downloaded = true;
    MediaInfo info;
    if (!IdentifyMedia(s->finalPath, info)) {
        // The file is there; only its description is missing.
        r.line = FillFormat(LoadText(32804), {Printable(s->finalPath)});
        return;
    }
    DownloadTask task;
    task.ApplyMediaInfo(s->finalPath, info);
    task.pageUrl = s->pageUrl;
    task.site = s->site;
    const HistoryRowText text = MakeHistoryRowText(task);
    r.line = DownloadedLine(s->finalPath, text.duration, info);
    if (history_ && !InsertHistory(history_, task))
        view_.Warning(QStringLiteral("not recorded in the history: ") + Printable(s->finalPath));
}
