// zorv-sitesim: runs the site simulator until SIGINT or SIGTERM.

#include "sitesim/SiteSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

bool ParseVersionFile(const QString& text, VersionFileMode* mode) {
    if (text == "gerneral")
        *mode = VersionFileMode::Misspelt;
    else if (text == "general")
        *mode = VersionFileMode::Correct;
    else if (text == "404")
        *mode = VersionFileMode::Missing;
    else if (text == "empty")
        *mode = VersionFileMode::Empty;
    else
        return false;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // Blocked before any server thread exists, so every thread inherits the
    // mask and the signals reach only the sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // Past a file-size limit a write fails with EFBIG instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zorv-sitesim");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Serves the video sites' pages, interfaces and media and the update host on 127.0.0.1.\n"
        "Prints ZORV_CONNECT_TO=... and ZORV_CA_BUNDLE=... lines for the client's environment,\n"
        "then serves until SIGINT (Ctrl+C) or SIGTERM.");
    parser.addHelpOption();
    const QCommandLineOption catalogue("catalogue", "Video catalogue (JSON).", "FILE");
    const QCommandLineOption mediaDir("media-dir", "Folder of generated media (default: STATE/media).",
                                      "DIR");
    const QCommandLineOption version("version", "Version the update host publishes (default 1.0.9).", "X.Y.Z",
                                     "1.0.9");
    const QCommandLineOption stateDir("state-dir", "Folder for ca.pem and media (default: temporary).",
                                      "DIR");
    const QCommandLineOption updateFile(
        "update-file", "Version file form: gerneral (default), general, 404, empty.", "FORM", "gerneral");
    const QCommandLineOption fault("fault",
                                   "Fault for every media reply: slow, cut, nolength, 404, "
                                   "redirect3, redirect10, or one of the README's fault matrix.",
                                   "NAME");
    const QCommandLineOption httpPort("http-port", "Plain HTTP port (default: any free).", "PORT", "0");
    const QCommandLineOption httpsPort("https-port", "HTTPS port (default: any free).", "PORT", "0");
    const QCommandLineOption nicoMail("nico-mail", "NicoVideo account mail (default: catalogue).", "MAIL");
    const QCommandLineOption nicoPassword("nico-password", "NicoVideo account password.", "PASSWORD");
    const QCommandLineOption ffmpeg("ffmpeg", "ffmpeg program (default: ffmpeg on PATH).", "PATH", "ffmpeg");
    parser.addOptions({catalogue, mediaDir, version, stateDir, updateFile, fault, httpPort, httpsPort,
                       nicoMail, nicoPassword, ffmpeg});
    parser.process(app);

    SiteSimulatorOptions options;
    options.catalogueFile = parser.value(catalogue);
    options.mediaDir = parser.value(mediaDir);
    options.stateDir = parser.value(stateDir);
    options.publishedVersion = parser.value(version);
    options.mediaFault = parser.value(fault);
    options.nicoMail = parser.value(nicoMail);
    options.nicoPassword = parser.value(nicoPassword);
    options.ffmpeg = parser.value(ffmpeg);
    options.httpPort = parser.value(httpPort).toUShort();
    options.httpsPort = parser.value(httpsPort).toUShort();
    if (!ParseVersionFile(parser.value(updateFile), &options.versionFile)) {
        std::fprintf(stderr, "zorv-sitesim: unknown --update-file form \"%s\"\n",
                     qPrintable(parser.value(updateFile)));
        return 2;
    }

    SiteSimulator simulator(options);
    QString error;
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "zorv-sitesim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("ZORV_CONNECT_TO=%s\n", qPrintable(simulator.ConnectToValue()));
    std::printf("ZORV_CA_BUNDLE=%s\n", qPrintable(simulator.CaBundlePath()));
    std::printf("ZORV_SITESIM_HTTP_PORT=%d\nZORV_SITESIM_HTTPS_PORT=%d\n", simulator.HttpPort(),
                simulator.HttpsPort());
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "zorv-sitesim: stopping on signal %d\n", received);
    simulator.Stop();
    return 0;
}
