#pragma once
// Texts zorv-get prints: page-derived text made safe for a terminal, and
// the line of a downloaded file.

#include "mediatools/MediaInfo.h"

#include <QString>

// Text from a page, a file name or an address, fit to print on one terminal
// line: C0 controls (ESC, BEL, CR, LF, ...) and DEL become their visible
// control pictures (U+2400 + code, U+2421), C1 controls become U+FFFD, so no
// text can move the cursor, start an escape sequence or fake a line.
QString Printable(const QString& text);

// "<path>  <duration> <format> <w>x<h> <fps> fps" for an identified file.
QString DownloadedLine(const QString& path, const QString& duration, const MediaInfo& info);
