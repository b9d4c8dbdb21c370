#pragma once
// The download history: one SQLite file "history.db" in the data folder with
// one table, `history`. A failed open leaves the program without history;
// every operation then does nothing and reports "nothing" (see each result).
// Database failures are logged and turned into results; nothing throws.
//
// Threads: all of it runs on the user-interface thread (the command-line
// front end: its main thread). Workers report finished downloads by message
// and the insertion runs in the handler.

#include "history/DownloadTask.h"
#include "history/HistoryRowReceiver.h"
#include "history/SqliteConnection.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string_view>

// "YOUTUBE", "GOOGLE", "METACAFE", "NICOVIDEO" for VideoSite 0..3; empty for
// anything else.
QString HistorySiteLabel(int site);
// The site a stored label names: one of the four, else OTHER_SITE (NO_SITE
// for no label).
int SiteOfLabel(const QString& label);

// For a process that lists the history and nothing else: SQLite then skips
// its per-call locking, which a listing pays on every column of every row.
// Call before anything opens a database; every connection must then stay on
// the thread that opened it.
void UseHistoryFromOneThread();

// Opens (creating file and table when missing) the database in the data
// folder. 1 with `connection` set; 0 with `connection` left untouched.
int OpenHistoryDB(std::unique_ptr<SqliteConnection>& connection, QString* setAside = nullptr);
// The same on an explicit file path (UTF-16; handed to SQLite as UTF-8).
// A file SQLite cannot read as a database is renamed to
// "<path>.unreadable-<date>-<time>" (never deleted) and a new history is
// started; `setAside`, when given, then receives that name.
int OpenHistoryDB(std::unique_ptr<SqliteConnection>& connection, const QString& path,
                  QString* setAside = nullptr);

// Records a downloaded and identified file (`location`, `pageUrl`, `site`
// and the media fields). 1 on success or without a database, 0 on a
// database error or a task without a known site. `insertedAt` is the
// local time stored in `convert_date`.
int InsertHistory(SqliteConnection* db, const DownloadTask& task,
                  const QDateTime& insertedAt = QDateTime::currentDateTime());

// Removes every row whose file path equals the task's `location`.
// 1 on success or without a database, 0 on a database error.
int DeleteHistory(SqliteConnection* db, const DownloadTask& task);

// Hands every row of one site label to `pane` as a fresh task (`location`,
// `lengthMs` = `markOutMs`, `siteUrl`, `videoFormat`, `sizeText`, `dateText`).
// 1 when all rows were handed over; 0 without a database or on a database
// error (rows handed over before the error stay with the receiver).
int QueryHistory(SqliteConnection* db, const QString& label, HistoryRowReceiver& pane);

// One stored row as SQLite hands it over, valid only during the call that
// receives it. Each text is the stored UTF-8 read as a C string (up to a NUL
// inside it), with data() NUL-terminated, or null for NULL.
struct HistoryRowView {
    std::string_view siteUrl;
    std::string_view location;
    int lengthMs;
    std::string_view videoFormat;
    std::string_view sizeText;
    std::string_view dateText;
};

// QueryHistory without a task per row, for listings that turn the stored
// texts straight into their own output. Same results and log lines.
int QueryHistoryRows(SqliteConnection* db, const QString& label,
                     const std::function<void(const HistoryRowView&)>& row);

// Rows of one label, or of all labels when `label` is empty. 0 without a
// database, -1 on a database error.
int CountHistory(SqliteConnection* db, const QString& label = QString());
