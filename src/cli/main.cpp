// zorv-get: downloads videos from the command line with the same worker,
// extractors, identification and history as the desktop program.

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "browser/LinkCapture.h"
#include "cli/CliBatch.h"
#include "cli/CliOptions.h"
#include "cli/CliPrompts.h"
#include "cli/CliText.h"
#include "cli/HistoryListing.h"
#include "cli/ProgressView.h"
#include "history/HistoryDb.h"
#include "history/SqliteConnection.h"
#include "mediatools/YtDlpTool.h"
#include "platform/MessageTarget.h"
#include "platform/ProcessSignals.h"
#include "retrieval/FilePlacement.h"
#include "update/CheckVersion.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include <semaphore.h>
#include <unistd.h>

namespace {
std::atomic<bool> g_interrupted{false};
sem_t g_secondInterrupt;

void OnInterrupt(int) {
    // A second Ctrl-C ends the program at once. Deleting the download's
    // temporary file is not safe here: the thread below does it and exits.
    if (g_interrupted.exchange(true))
        sem_post(&g_secondInterrupt);
}

// Installs the interrupt handler and the thread that ends the program on a
// second interrupt. The thread is detached on purpose: it lives as long as
// the program and ends it.
void HandleInterrupts() {
    sem_init(&g_secondInterrupt, 0, 0);
    std::thread([] {
        while (sem_wait(&g_secondInterrupt) != 0) {
        }
        RemoveTemporaryFilesInUse();
        std::_Exit(130);
    }).detach();
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

void Print(FILE* out, const QString& text) {
    std::fprintf(out, "%s\n", text.toUtf8().constData());
    std::fflush(out);
}

int CheckUpdate() {
    QueueMessageTarget results;
    SetVersionReceiver(&results);
    CheckVersionThread(ProgramVersion());
    SetVersionReceiver(nullptr);
    const auto m = results.Wait(std::chrono::milliseconds(0));
    if (!m || m->msg == UM_VERSION_FAILED) {
        Print(stdout, QStringLiteral("Check new version failed."));
        return 1;
    }
    const VersionTriple v = UnpackVersion(m->wParam, m->lParam);
    Print(stdout, QStringLiteral("%1 version available: %2.%3.%4")
                      .arg(m->msg == UM_VERSION_NEWER ? QStringLiteral("New") : QStringLiteral("No new"))
                      .arg(v.major)
                      .arg(v.minor)
                      .arg(v.build));
    return 0;
}

// This program's version, then what the yt-dlp the downloads would run says
// of itself: whoever reports a failing site is asked for both.
int ShowVersion(const QString& ytDlpPath) {
    Print(stdout, QStringLiteral("zorv-get %1.%2.%3.%4")
                      .arg(ZORV_VERSION_MAJOR)
                      .arg(ZORV_VERSION_MINOR)
                      .arg(ZORV_VERSION_PATCH)
                      .arg(ZORV_VERSION_TWEAK));
    const YtDlpTool tool(ytDlpPath);
    const YtDlpVersion version = tool.Version();
    switch (version.status) {
    case YtDlpVersion::Status::Ok:
        Print(stdout, QStringLiteral("yt-dlp %1 (%2)").arg(version.version, tool.Program()));
        if (YtDlpTool::IsOutdated(version.version, QDate::currentDate()).value_or(false))
            Print(stdout, QStringLiteral("warning: this yt-dlp is more than %1 days old; sites change often "
                                         "and an old yt-dlp stops reading them: update it with "
                                         "\"pipx upgrade yt-dlp\" or through the distribution's yt-dlp "
                                         "package")
                              .arg(YtDlpTool::kMaxAgeDays));
        break;
    case YtDlpVersion::Status::Missing:
        Print(stdout, QStringLiteral("yt-dlp: not found (\"%1\"); other sites than the four need it: "
                                     "install it with \"apt install yt-dlp\" (a newer one with \"pipx "
                                     "install yt-dlp\") or set its path in the options")
                          .arg(tool.Program()));
        break;
    case YtDlpVersion::Status::Broken:
        Print(stdout,
              QStringLiteral("yt-dlp: does not work (\"%1\"): %2").arg(tool.Program(), version.error));
        break;
    }
    return 0;
}

int ListHistory(SqliteConnection* db, const QString& site) {
    if (!db) {
        Print(stderr, QStringLiteral("zorv-get: the history database cannot be opened"));
        return 1;
    }
    HistoryListing listing(stdout);
    const QString other = QLatin1String(kOtherSitesLabel);
    const QStringList labels =
        site.isEmpty() ? QStringList{"YOUTUBE", "GOOGLE", "METACAFE", "NICOVIDEO", other} : QStringList{site};
    for (const QString& label : labels) {
        if (!(label == other ? listing.ListOtherSites(db) : listing.List(db, label))) {
            Print(stderr, QStringLiteral("zorv-get: the history cannot be read"));
            return 1;
        }
    }
    listing.Flush();
    if (listing.Rows() == 0)
        Print(stderr, QStringLiteral("No downloads recorded."));
    return 0;
}

// The command line's addresses followed by the links of every imported page;
// nullopt when an interrupt stopped an import. A page that does not arrive
// within the deadline gives the links of what arrived.
std::optional<QStringList> CollectAddresses(const CliOptions& options, ProgressView& view) {
    QStringList addresses = options.addresses;
    FetchControl control;
    control.stopRequested = [] { return g_interrupted.load(); };
    for (const QString& page : options.imports) {
        view.Line(QStringLiteral("Reading links from %1").arg(page));
        const ImportResult result = ImportVideoLinks(page, control);
        if (result.end == FetchEnd::Stopped || g_interrupted) {
            Print(stderr,
                  QStringLiteral("zorv-get: stopped while reading %1; nothing was downloaded").arg(page));
            return std::nullopt;
        }
        if (result.end == FetchEnd::TimedOut)
            view.Warning(
                QStringLiteral("%1 did not arrive within %2 seconds; only the part that arrived is read")
                    .arg(page)
                    .arg(double(control.deadline.count()) / 1000.0));
        if (result.links.isEmpty())
            view.Warning(QStringLiteral("no video links found in %1").arg(page));
        addresses += result.links;
    }
    return addresses;
}

// What the options make of the settings' after-download action: --convert
// and --range name the whole action (the original goes unless
// --keep-original); otherwise the stored action stands, --keep-original
// and --mp3-quality changing it.
std::optional<MediaAction> AfterDownloadAction(const CliOptions& options, const SettingsValues& settings) {
    if (!options.convert && !options.range && !options.keepOriginal && !options.mp3Quality)
        return std::nullopt;
    MediaAction action;
    action.mp3Quality = options.mp3Quality.value_or(settings.MP3_VBRQ);
    if (options.convert || options.range) {
        action.format = options.convert.value_or(MediaFormat::Original);
        action.range = options.range;
        action.exact = options.exactCut;
    } else {
        action.format = MediaFormatOfSetting(settings.AfterDownload);
    }
    action.keepOriginal =
        options.keepOriginal || (!options.convert && !options.range && settings.KeepOriginal);
    return action;
}

void WaitForEnter(const QString& prompt) {
    Print(stdout, prompt);
    if (!isatty(STDIN_FILENO))
        return;
    Print(stdout, QStringLiteral("Press Enter when you are done."));
    std::string line;
    std::getline(std::cin, line);
}
} // namespace

int main(int argc, char** argv) {
    IgnoreFileSizeLimitSignal();
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    const CliParseResult parsed = ParseCliArguments(arguments);
    if (!parsed.error.isEmpty()) {
        Print(stderr, QStringLiteral("zorv-get: %1\n").arg(parsed.error) + CliUsage());
        return 2;
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        std::fputs(CliUsage().toUtf8().constData(), stdout);
        return 0;
    }

    InitLog(GetDataFolder() + QStringLiteral("/ruzivar.log"));
    LogInfoW("main", QStringLiteral("Loading program %1 ...").arg(QLatin1String(kProductName)));

    AppSettings& settings = Settings();
    settings.Load();
    SelectLanguage(settings.LangID);
    // Options change this run only: nothing here is saved.
    // A folder on the command line is relative to where the user stands; a
    // stored one is made absolute by the normaliser (under the home folder).
    if (options.outputFolder)
        settings.OutputFolder = QDir::current().absoluteFilePath(*options.outputFolder);
    if (options.retryTimes)
        settings.RetryTimes = *options.retryTimes;
    if (options.useTitle)
        settings.UseTitleAsFileName = 1;
    if (options.youtubeFormat)
        settings.YoutubeFMT = *options.youtubeFormat;
    settings.Publish();

    int status = 0;
    if (options.version) {
        status = ShowVersion(settings.YtDlpPath);
    } else if (options.checkUpdate) {
        status = CheckUpdate();
    } else {
        if (options.history)
            UseHistoryFromOneThread();
        std::unique_ptr<SqliteConnection> history;
        QString setAside;
        const bool historyOpen = OpenHistoryDB(history, &setAside);
        if (!setAside.isEmpty())
            std::fprintf(stderr,
                         "zorv-get: warning: the history could not be read; it is kept as %s and a new one "
                         "was started\n",
                         Printable(setAside).toLocal8Bit().constData());
        if (options.history) {
            status = ListHistory(history.get(), options.historySite);
        } else {
            const bool terminal = isatty(STDOUT_FILENO);
            ProgressView view(stdout, terminal, options.quiet);
            if (!historyOpen)
                view.Warning(
                    QStringLiteral("the history database cannot be opened; downloads are not recorded"));
            CliPrompts prompts(stdout);
            SetUserPrompts(&prompts);
            HandleInterrupts();
            const std::optional<QStringList> collected = CollectAddresses(options, view);
            const QStringList addresses = collected.value_or(QStringList());
            if (!collected) {
                status = 1;
            } else if (addresses.isEmpty()) {
                status = 1;
            } else if (addresses.size() > 65535) {
                // Rows travel in 16 bits inside the worker's notifications.
                Print(stderr, QStringLiteral("zorv-get: at most 65535 addresses can be downloaded at once"));
                status = 1;
            } else {
                CliBatch batch(view, history.get());
                batch.waitForUser = WaitForEnter;
                batch.stopRequested = [] { return g_interrupted.load(); };
                batch.afterDownload = AfterDownloadAction(options, settings);
                batch.Run(addresses);
                for (const CliBatch::Result& r : batch.Results())
                    for (const QString& line : r.Lines())
                        view.Result(line);
                status = batch.AllDownloaded() ? 0 : 1;
            }
            SetUserPrompts(nullptr);
        }
        if (history)
            history->Close();
    }
    LogInfo("main", "Exiting...");
    ShutdownLog();
    return status;
}
