#pragma once
// The texts of one history-list row, made from a task that QueryHistory
// produced. Kept apart from the widgets so every front end shows the same.

#include "history/DownloadTask.h"

#include <QDateTime>
#include <QString>

#include <string>

struct HistoryRowText {
    QString title;    // file name without folder and extension, "&" doubled
    QString titleTip; // the page address (`siteUrl`)
    QString duration; // FormatDurationText(lengthMs)
    QString format;   // `videoFormat` in upper case
    QString size;     // `sizeText`
    QString date;     // HistoryDateText(dateText, now)
};

// `now` is the local time the date column is judged against.
HistoryRowText MakeHistoryRowText(const DownloadTask& task,
                                  const QDateTime& now = QDateTime::currentDateTime());

// "00:MM:SS" below one hour, else "HH:MM:SS" (hours not limited to 24).
QString FormatDurationText(int ms);

// A stored "March 05, 2012 14:07:09" as "02:07 PM" when it lies after the
// start of today, "Mar 05" when after the start of this year, "03/05/2011"
// otherwise. A text that is not a stored date is shown as it is.
QString HistoryDateText(const QString& stored, const QDateTime& now);

// The same two texts appended to `out` as UTF-8, for listings that print
// thousands of rows: the usual forms go straight from the stored bytes to the
// output without a QString. `stored` is the UTF-8 column text (null for NULL).
void AppendDurationText(std::string& out, int ms);
// `today` is now.date(), taken once by the caller for a whole listing.
void AppendHistoryDateText(std::string& out, const char* stored, const QDateTime& now, const QDate& today);
