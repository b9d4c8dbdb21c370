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
    // Compared as calendar date and clock time: every conversion through
    // local time makes the C library look at the zone file again, several
    // times per row of a long list.
    const qsizetype split = stored.lastIndexOf(QLatin1Char(' '));
    if (split < 0)
        return stored;
    const QDate date = English().toDate(stored.left(split), QStringLiteral("MMMM dd, yyyy"));
    const QTime time = English().toTime(stored.mid(split + 1), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return stored;
    const auto after = [&](const QDate& day) { return date > day || (date == day && time > QTime(0, 0)); };
    const QDate today = now.date();
    if (after(today))
        return English().toString(time, QStringLiteral("hh:mm AP"));
    if (after(QDate(today.year(), 1, 1)))
        return English().toString(date, QStringLiteral("MMM dd"));
    return English().toString(date, QStringLiteral("MM/dd/yyyy"));
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
