#include "app/CommandLine.h"

#include "retrieval/AddressRoute.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString DesktopUsage() {
    return QStringLiteral("Usage: zorv [OPTION] [ADDRESS|FILE]...\n"
                          "\n"
                          "Saves the videos of web pages and keeps a history of them. Each ADDRESS\n"
                          "(a video page's web address) becomes a row of the task list; each FILE\n"
                          "(a video on this computer, a path or a file: address) is added as a\n"
                          "downloaded video. When the program already runs for this user, the\n"
                          "addresses and files are handed to its window, which comes to the front.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help      show this help\n"
                          "  -v, --version   show this program's version\n"
                          "\n"
                          "Downloads from the command line without a window: zorv-get --help.\n");
}

StartRequest ParseCommandLine(const QStringList& arguments, const QString& workingFolder,
                              bool beforeApplication) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    StartRequest request;
    const bool parsed = parser.parse(QStringList{QStringLiteral("zorv")} + arguments);
    if (parser.isSet(help)) {
        request.action = StartRequest::Action::Help;
        request.text = DesktopUsage();
        return request;
    }
    if (parser.isSet(version)) {
        request.action = StartRequest::Action::Version;
        request.text = QStringLiteral("zorv %1.%2.%3.%4\n")
                           .arg(ZORV_VERSION_MAJOR)
                           .arg(ZORV_VERSION_MINOR)
                           .arg(ZORV_VERSION_PATCH)
                           .arg(ZORV_VERSION_TWEAK);
        return request;
    }
    if (!parsed) {
        request.action = StartRequest::Action::Error;
        request.text = QStringLiteral("zorv: %1\nTry 'zorv --help'.\n").arg(parser.errorText());
        request.maybeToolkitOption = beforeApplication;
        return request;
    }
    const QDir base(workingFolder);
    for (const QString& argument : parser.positionalArguments()) {
        const QString item = argument.trimmed();
        if (item.isEmpty())
            continue;
        // A file manager hands over file: addresses (%U), a terminal paths.
        const QUrl url(item);
        if (url.isLocalFile())
            request.items << QDir::cleanPath(base.absoluteFilePath(url.toLocalFile()));
        else if (RouteAddress(item).route == AddressRoute::Refused &&
                 QFileInfo::exists(base.absoluteFilePath(item)))
            request.items << QDir::cleanPath(base.absoluteFilePath(item));
        else
            request.items << item; // an address; the task list refuses what it cannot take
    }
    return request;
}
