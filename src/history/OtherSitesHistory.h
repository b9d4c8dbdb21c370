#pragma once
// The history of every site besides the four built-in ones: the sites read
// through yt-dlp, whose rows carry the site's name in capitals as their
// label ("GENERIC", "VIMEO"). Every label that is not one of the four counts
// as another site, so rows written by a later version still show up.
//
// Threads: the user-interface thread (the command-line front end: its main
// thread), as the rest of the history.

#include "history/HistoryDb.h"
#include "history/HistoryRowReceiver.h"
#include "history/SqliteConnection.h"

#include <QString>

#include <functional>
#include <string_view>

// The task site of these rows; the same number as the download worker's
// OTHER_SITE, which the history may not include.
inline constexpr int kOtherSiteTask = 4;

// Rows whose label is none of the four. 0 without a database, -1 on a
// database error.
int CountOtherSitesHistory(SqliteConnection* db);

// Hands every such row to `pane`, in insertion order, as QueryHistory does,
// with `site` = kOtherSiteTask and `siteName` = OtherSiteName(label, location). 1 when
// all rows were handed over; 0 without a database or on a database error.
int QueryOtherSitesHistory(SqliteConnection* db, HistoryRowReceiver& pane);

// The same rows without a task, each with its label (empty for NULL).
int QueryOtherSitesRows(SqliteConnection* db,
                        const std::function<void(const HistoryRowView&, std::string_view label)>& row);

// A label as a name to show. The stored label has lost the name's own
// capitals, and a word in capitals reads as shouting: the file's folder
// keeps them when it is the site's folder ("HTML5MEDIAEMBED" of
// ".../HTML5MediaEmbed/a.mp4" -> "HTML5MediaEmbed"); otherwise the label
// is shown with one capital ("VIMEO" -> "Vimeo").
QString OtherSiteName(const QString& label, const QString& location);
