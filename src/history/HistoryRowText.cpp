#include "history/HistoryRowText.h"

#include <QFileInfo>
#include <QLocale>

namespace {

const QLocale& English() {
    // Stored dates and the shown forms are English whatever the user's
    // language: the texts were written that way.
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english;
}

} // namespace

QString FormatDurationText(int ms) {
    const int hours = ms / 3600000;
    const int minutes = ms / 60000 % 60;
    const int seconds = ms / 1000 % 60;
    if (hours == 0)
        return QString::asprintf("00:%02d:%02d", ms / 60000, seconds);
    return QString::asprintf("%02d:%02d:%02d", hours, minutes, seconds);
}

QString HistoryDateText(const QString& stored, const QDateTime& now) {
    const QDateTime when = English().toDateTime(stored, QStringLiteral("MMMM dd, yyyy HH:mm:ss"));
    if (!when.isValid())
        return stored;
    const QDateTime startOfToday = now.date().startOfDay();
    const QDateTime startOfYear = QDate(now.date().year(), 1, 1).startOfDay();
    if (when > startOfToday)
        return English().toString(when, QStringLiteral("hh:mm AP"));
    if (when > startOfYear)
        return English().toString(when, QStringLiteral("MMM dd"));
    return English().toString(when, QStringLiteral("MM/dd/yyyy"));
}

HistoryRowText MakeHistoryRowText(const DownloadTask& task, const QDateTime& now) {
    HistoryRowText row;
    // A single "&" would become a mnemonic underline in the list.
    row.title = QFileInfo(task.location).completeBaseName().replace(QLatin1Char('&'), QStringLiteral("&&"));
    row.titleTip = task.siteUrl;
    row.duration = FormatDurationText(task.lengthMs);
    row.format = task.videoFormat.toUpper();
    row.size = task.sizeText;
    row.date = HistoryDateText(task.dateText, now);
    return row;
}
