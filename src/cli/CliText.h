#pragma once
// Texts zorv-get prints: page-derived text made safe for a terminal, and
// the line of a downloaded file.

#include "mediatools/MediaInfo.h"

#include <QString>

#include <string>
#include <string_view>

// Text from a page, a file name or an address, fit to print on one terminal
// line: C0 controls (ESC, BEL, CR, LF, ...) and DEL become their visible
// control pictures (U+2400 + code, U+2421), C1 controls become U+FFFD, so no
// text can move the cursor, start an escape sequence or fake a line.
QString Printable(const QString& text);
// The same for stored UTF-8 text, appended to `out` as UTF-8; plain
// printable ASCII is copied as it stands. `utf8.data()` is NUL-terminated
// right after the text, or null for no text.
void AppendPrintable(std::string& out, std::string_view utf8);

// "<path>  <duration> <format> <w>x<h> <fps> fps" for an identified file.
QString DownloadedLine(const QString& path, const QString& duration, const MediaInfo& info);
// "<path>  <duration> audio <codec> <rate> Hz" for a file of audio alone.
QString AudioLine(const QString& path, const QString& duration, const MediaInfo& info);
