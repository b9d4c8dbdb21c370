#pragma once
// Command-line options of zorv-get.

#include "mediatools/MediaAction.h"

#include <QString>
#include <QStringList>

#include <optional>

struct CliOptions {
    QStringList addresses;
    QStringList imports; // pages or saved files whose video links join the batch after the addresses
    std::optional<QString> outputFolder;
    std::optional<int> retryTimes;
    bool useTitle = false;
    std::optional<int> youtubeFormat;
    bool quiet = false;
    bool help = false;
    bool checkUpdate = false;
    bool version = false;
    bool history = false;
    // After each download: convert (--convert), cut a range (--range,
    // exactly with --exact-cut), keep the original beside the result.
    std::optional<MediaFormat> convert;
    std::optional<MediaRange> range;
    bool exactCut = false;
    bool keepOriginal = false;
    std::optional<int> mp3Quality; // 0 best .. 9 smallest; default: the setting
    QString historySite;           // empty: every site; kOtherSitesLabel: every site besides the four
};

// The --history label of every site besides the four (those read through yt-dlp).
inline constexpr const char* kOtherSitesLabel = "OTHER";

struct CliParseResult {
    CliOptions options;
    QString error; // non-empty: a usage error to print before the usage text
};

// Parses argv (without the program name). Numbers accept a sign, so
// "--format=-1", "-f -1" and "-f-1" all give -1.
CliParseResult ParseCliArguments(const QStringList& arguments);

QString CliUsage();
