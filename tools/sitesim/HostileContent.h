#pragma once
// Watch pages that spoil what a site normally sends, selected by a
// catalogue entry's "page" value, for checking that a client meets them with
// a clear error instead of a crash, a hang or a file in the wrong place:
//
//   huge         50 MB of markup before the player, with its Content-Length
//   hugechunked  the same without a length (chunked)
//   garbage      256 KB of binary bytes (NULs, broken UTF-8) instead of HTML
//   rawtitle     the title written into the page unescaped (an entity soup
//                stays entities for the client to decode)
//
// Threads: pure functions of their arguments; any server thread.

#include <httplib.h>

#include <QString>

namespace HostileContent {

inline constexpr qint64 kHugePageBytes = qint64(50) * 1000 * 1000;

// True for "" and every mode above.
bool IsPageMode(const QString& mode);
// The title as the page writes it: escaped unless the mode is rawtitle.
QString PageTitle(const QString& mode, const QString& title);
// Sends `html`, the page the site would send, spoilt as `mode` says.
void SendWatchPage(httplib::Response& res, const QString& mode, const QString& html);

} // namespace HostileContent
