#pragma once
// The private folder of one yt-dlp run and the files the runner puts in it
// before yt-dlp starts.
//
// Threads: the run's thread.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <set>

class QTemporaryDir;

// Creates "<parent>/.zorv-ytdlp-XXXXXX" exclusively (mode 0700); null when
// that fails.
std::unique_ptr<QTemporaryDir> MakeYtDlpFolder(const QString& parent);

// Writes the cookie lines as a Netscape cookie file, mode 0600 from its
// creation. Lines with line breaks are left out. Empty on failure.
QString WriteYtDlpCookieFile(const QString& folder, const QStringList& lines);

// The (domain, name, value) of every cookie in a Netscape cookie file or in
// such lines.
using CookieKeys = std::set<QString>;
CookieKeys CookieKeysOf(const QStringList& lines);
CookieKeys CookieKeysOfFile(const QString& path);

// With ZORV_CA_BUNDLE set: writes the system's CA bundle followed by that
// file into the folder and returns the new bundle's path; nothing when the
// variable is unset; an empty path when a file could not be read or written.
std::optional<QString> WriteYtDlpCaBundle(const QString& folder);

// Removes everything in the folder except the file `keep`.
void RemoveAllBut(const QString& folder, const QString& keep);
