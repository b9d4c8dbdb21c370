#include "cli/CliOptions.h"

#include <limits>

namespace {
std::optional<int> ParseInt(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

const QStringList kSiteLabels = {"YOUTUBE", "GOOGLE", "METACAFE", "NICOVIDEO", kOtherSitesLabel};
} // namespace

QString CliUsage() {
    return QStringLiteral(
        "Usage: zorv-get [OPTIONS] ADDRESS...\n"
        "  or:  zorv-get [OPTIONS] --import PAGE [ADDRESS...]\n"
        "  or:  zorv-get --history [SITE]\n"
        "  or:  zorv-get --check-update\n"
        "  or:  zorv-get --version\n"
        "\n"
        "Downloads the videos of YouTube, Google Video, Metacafe and NicoVideo pages\n"
        "into per-site folders of the output folder.\n"
        "\n"
        "Options:\n"
        "  -o, --output DIR     output folder (default: the program's setting)\n"
        "  -r, --retries N      extra attempts for each failed address\n"
        "  -t, --use-title      name files after the video title instead of its id\n"
        "  -f, --format N       preferred YouTube format list (0-5; -1 means 2)\n"
        "  -q, --quiet          print only the final line of each address\n"
        "  -i, --import PAGE    add every YouTube and Google Video link of a web page\n"
        "                       (an http:// address) or a saved page or text file;\n"
        "                       may be repeated; the links follow the addresses\n"
        "      --convert FORMAT\n"
        "                       convert each downloaded file: mp3, m4a (audio only) or mp4\n"
        "      --range START-END\n"
        "                       keep only this part of each downloaded file (seconds or\n"
        "                       m:ss, as 10-20 or 0:10-0:20); with --convert, only this\n"
        "                       part is converted\n"
        "      --mp3-quality N  MP3 quality from 0 (best) to 9 (smallest files)\n"
        "      --exact-cut      cut exactly where asked (encodes the streams again; without\n"
        "                       it a cut starts at the key frame at or before START)\n"
        "      --keep-original  keep the downloaded file beside the converted or cut one\n"
        "                       (otherwise it goes once the new file is in place)\n"
        "      --history [SITE]\n"
        "                       list downloaded videos (YOUTUBE, GOOGLE, METACAFE, NICOVIDEO,\n"
        "                       or OTHER: every other site, each row with its site)\n"
        "      --check-update   check whether a newer version is published\n"
        "      --version        show this program's version and that of yt-dlp, which\n"
        "                       reads every other site (from the options, else on PATH)\n"
        "  -h, --help           show this help\n"
        "\n"
        "Options change this run only; the program's settings are not saved.\n"
        "Exit status: 0 all addresses downloaded, 1 some failed, 2 usage error.\n");
}

CliParseResult ParseCliArguments(const QStringList& arguments) {
    CliParseResult result;
    CliOptions& o = result.options;
    bool onlyAddresses = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        if (onlyAddresses || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            o.addresses << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            onlyAddresses = true;
            continue;
        }

        // Split "--name=value" and "-xVALUE" into a name and an inline value.
        QString name = arg;
        std::optional<QString> inlineValue;
        if (arg.startsWith(QLatin1String("--"))) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            if (eq > 0) {
                name = arg.left(eq);
                inlineValue = arg.mid(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.left(2);
            inlineValue = arg.mid(2);
        }

        auto takeValue = [&](const QString& what) -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments.at(++i);
            result.error = QStringLiteral("option %1 needs %2").arg(name, what);
            return std::nullopt;
        };
        auto takeNumber = [&](std::optional<int>& target, int minimum) {
            auto value = takeValue(QStringLiteral("a number"));
            if (!value)
                return;
            auto number = ParseInt(*value);
            if (!number || *number < minimum)
                result.error = QStringLiteral("invalid number for %1: %2").arg(name, *value);
            else
                target = number;
        };
        auto noValue = [&] {
            if (inlineValue)
                result.error = QStringLiteral("option %1 takes no value").arg(name);
        };

        if (name == QLatin1String("-o") || name == QLatin1String("--output")) {
            if (auto v = takeValue(QStringLiteral("a folder"))) {
                if (v->isEmpty())
                    result.error = QStringLiteral("the output folder must not be empty");
                else
                    o.outputFolder = v;
            }
        } else if (name == QLatin1String("-r") || name == QLatin1String("--retries")) {
            takeNumber(o.retryTimes, 0);
        } else if (name == QLatin1String("-f") || name == QLatin1String("--format")) {
            takeNumber(o.youtubeFormat, std::numeric_limits<int>::min());
        } else if (name == QLatin1String("-i") || name == QLatin1String("--import")) {
            if (auto v = takeValue(QStringLiteral("a page address or file"))) {
                if (v->isEmpty())
                    result.error = QStringLiteral("the page to import must not be empty");
                else
                    o.imports << *v;
            }
        } else if (name == QLatin1String("--convert")) {
            if (auto v = takeValue(QStringLiteral("a format"))) {
                o.convert = ParseMediaFormat(*v);
                if (!o.convert)
                    result.error =
                        QStringLiteral("unknown format for --convert: %1 (use mp3, m4a or mp4)").arg(*v);
            }
        } else if (name == QLatin1String("--range")) {
            if (auto v = takeValue(QStringLiteral("a range"))) {
                o.range = ParseMediaRange(*v);
                if (!o.range)
                    result.error =
                        QStringLiteral(
                            "invalid range: %1 (START-END in seconds or m:ss, the end after the start)")
                            .arg(*v);
            }
        } else if (name == QLatin1String("--mp3-quality")) {
            takeNumber(o.mp3Quality, 0);
            if (o.mp3Quality > 9)
                result.error =
                    QStringLiteral("invalid number for %1: %2 (0 to 9)").arg(name).arg(*o.mp3Quality);
        } else if (name == QLatin1String("--exact-cut")) {
            noValue();
            o.exactCut = true;
        } else if (name == QLatin1String("--keep-original")) {
            noValue();
            o.keepOriginal = true;
        } else if (name == QLatin1String("-t") || name == QLatin1String("--use-title")) {
            noValue();
            o.useTitle = true;
        } else if (name == QLatin1String("-q") || name == QLatin1String("--quiet")) {
            noValue();
            o.quiet = true;
        } else if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            noValue();
            o.help = true;
        } else if (name == QLatin1String("--check-update")) {
            noValue();
            o.checkUpdate = true;
        } else if (name == QLatin1String("--version")) {
            noValue();
            o.version = true;
        } else if (name == QLatin1String("--history")) {
            o.history = true;
            // The next argument is the site unless it is an option or looks
            // like an address (a misspelt label must say "unknown site").
            std::optional<QString> site = inlineValue;
            if (!site && i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1Char('-')) &&
                !arguments.at(i + 1).contains(QLatin1Char('/')))
                site = arguments.at(++i);
            if (site) {
                o.historySite = site->toUpper();
                if (!kSiteLabels.contains(o.historySite))
                    result.error = QStringLiteral("unknown site: %1 (use %2)")
                                       .arg(*site, kSiteLabels.join(QStringLiteral(", ")));
            }
        } else {
            result.error = QStringLiteral("unknown option: %1").arg(arg);
        }
        if (!result.error.isEmpty())
            return result;
    }

    // Rows travel in 16 bits inside the worker's notifications.
    if (o.addresses.size() > 65535)
        result.error = QStringLiteral("at most 65535 addresses can be given at once");
    else if (!o.help && !o.checkUpdate && !o.version && !o.history && o.addresses.isEmpty() &&
             o.imports.isEmpty())
        result.error = QStringLiteral("no address given");
    else if ((o.checkUpdate || o.history) && (!o.addresses.isEmpty() || !o.imports.isEmpty()))
        result.error = QStringLiteral("addresses cannot be combined with --history or --check-update");
    else if (o.version && (!o.addresses.isEmpty() || !o.imports.isEmpty()))
        result.error = QStringLiteral("addresses cannot be combined with --version");
    else if (o.exactCut && !o.range)
        result.error = QStringLiteral("--exact-cut needs --range");
    return result;
}
