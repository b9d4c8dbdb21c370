#include "history/HistoryRowText.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>

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
    // The C library's printf: QString::asprintf costs more than the rest of
    // a history row.
    char text[48];
    if (hours == 0)
        std::snprintf(text, sizeof text, "00:%02d:%02d", ms / 60000, seconds);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, seconds);
    return QString::fromLatin1(text);
}

QString HistoryDateText(const QString& stored, const QDateTime& now) {
    // The stored form is fixed ("March 05, 2012 14:07:09"): one compiled
    // pattern reads it far faster than a format parser set up for each row of
    // a long list. The fields are compared as calendar date and clock time,
    // since every conversion through local time makes the C library look at
    // the zone file again.
    static const QRegularExpression storedForm(
        QStringLiteral("^(\\w+) (\\d\\d), (\\d{4}) (\\d\\d):(\\d\\d):(\\d\\d)$"));
    static const QStringList months = [] {
        QStringList names;
        for (int m = 1; m <= 12; ++m)
            names << English().monthName(m, QLocale::LongFormat);
        return names;
    }();
    const QRegularExpressionMatch m = storedForm.match(stored);
    if (!m.hasMatch())
        return stored;
    const int month = int(months.indexOf(m.capturedView(1))) + 1;
    const QDate date(m.capturedView(3).toInt(), month, m.capturedView(2).toInt());
    const QTime time(m.capturedView(4).toInt(), m.capturedView(5).toInt(), m.capturedView(6).toInt());
    if (month == 0 || !date.isValid() || !time.isValid())
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
