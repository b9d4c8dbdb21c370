#include "history/HistoryRowText.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

const QLocale& English() {
    // Stored dates and the shown forms are English whatever the user's
    // language: the texts were written that way.
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english;
}

// Two digits with a leading zero, for 0..99.
char* PutTwoDigits(char* at, int value) {
    at[0] = char('0' + value / 10);
    at[1] = char('0' + value % 10);
    return at + 2;
}

int PrintDuration(char* text, size_t size, int ms) {
    const int hours = ms / 3600000;
    const int minutes = ms / 60000 % 60;
    const int seconds = ms / 1000 % 60;
    // The C library's printf: QString::asprintf costs more than the rest of
    // a history row.
    if (hours == 0)
        return std::snprintf(text, size, "00:%02d:%02d", ms / 60000, seconds);
    return std::snprintf(text, size, "%02d:%02d:%02d", hours, minutes, seconds);
}

// The shown form of a stored date whose fields are already read and valid.
enum class DateForm { Time, MonthDay, Full };

DateForm ShownForm(const QDate& date, const QTime& time, const QDate& today) {
    const auto after = [&](const QDate& day) { return date > day || (date == day && time > QTime(0, 0)); };
    if (after(today))
        return DateForm::Time;
    if (after(QDate(today.year(), 1, 1)))
        return DateForm::MonthDay;
    return DateForm::Full;
}

// The English names and clock marks as UTF-8, read from the locale once.
struct EnglishNames {
    std::array<std::string, 12> longMonths;
    std::array<std::string, 12> shortMonths;
    std::string am;
    std::string pm;
};

const EnglishNames& Names() {
    static const EnglishNames names = [] {
        EnglishNames n;
        for (int m = 1; m <= 12; ++m) {
            n.longMonths[size_t(m - 1)] = English().monthName(m, QLocale::LongFormat).toStdString();
            n.shortMonths[size_t(m - 1)] = English().monthName(m, QLocale::ShortFormat).toStdString();
        }
        n.am = English().amText().toStdString();
        n.pm = English().pmText().toStdString();
        return n;
    }();
    return names;
}

bool Digits(const char* text, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// The fields of a stored date, read without a calendar.
struct StoredDate {
    int year, month, day, hour, minute, second;
};

// Reads exactly "<Month> dd, yyyy hh:mm:ss" in ASCII with a known month
// name and a valid date and time. Anything else is left to the full reader.
bool ReadPlainStoredDate(const char* stored, StoredDate& d) {
    const char* space = std::strchr(stored, ' ');
    if (!space)
        return false;
    const size_t nameLength = size_t(space - stored);
    const auto& months = Names().longMonths;
    d.month = 0;
    for (int m = 0; m < 12 && d.month == 0; ++m)
        if (months[size_t(m)].size() == nameLength &&
            std::memcmp(months[size_t(m)].data(), stored, nameLength) == 0)
            d.month = m + 1;
    const char* f = space + 1; // "dd, yyyy hh:mm:ss"
    return d.month != 0 && std::strlen(f) == 17 && Digits(f, 2, d.day) && f[2] == ',' && f[3] == ' ' &&
           Digits(f + 4, 4, d.year) && f[8] == ' ' && Digits(f + 9, 2, d.hour) && f[11] == ':' &&
           Digits(f + 12, 2, d.minute) && f[14] == ':' && Digits(f + 15, 2, d.second) &&
           QDate::isValid(d.year, d.month, d.day) && QTime::isValid(d.hour, d.minute, d.second);
}

// ShownForm on the read fields: dates compare as yyyymmdd numbers.
DateForm ShownForm(const StoredDate& d, const QDate& today) {
    // A listing asks with the same day for every row: its fields are read
    // from the calendar once.
    thread_local qint64 cachedDay = std::numeric_limits<qint64>::min();
    thread_local int y = 0, m = 0, dd = 0;
    if (today.toJulianDay() != cachedDay) {
        cachedDay = today.toJulianDay();
        today.getDate(&y, &m, &dd);
    }
    const int date = d.year * 10000 + d.month * 100 + d.day;
    const bool afterMidnight = d.hour != 0 || d.minute != 0 || d.second != 0;
    const auto after = [&](int day) { return date > day || (date == day && afterMidnight); };
    const int todayNumber = y * 10000 + m * 100 + dd;
    if (after(todayNumber))
        return DateForm::Time;
    if (after(y * 10000 + 101))
        return DateForm::MonthDay;
    return DateForm::Full;
}

} // namespace

QString FormatDurationText(int ms) {
    char text[48];
    PrintDuration(text, sizeof text, ms);
    return QString::fromLatin1(text);
}

void AppendDurationText(std::string& out, int ms) {
    // Listings print one per row: the usual durations skip printf.
    if (ms >= 0 && ms < 100 * 3600000) {
        char text[8];
        char* at = PutTwoDigits(text, ms / 3600000);
        *at++ = ':';
        at = PutTwoDigits(at, ms / 60000 % 60);
        *at++ = ':';
        at = PutTwoDigits(at, ms / 1000 % 60);
        out.append(text, size_t(at - text));
        return;
    }
    char text[48];
    const int n = PrintDuration(text, sizeof text, ms);
    out.append(text, size_t(n));
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
    switch (ShownForm(date, time, now.date())) {
    case DateForm::Time:
        return English().toString(time, QStringLiteral("hh:mm AP"));
    case DateForm::MonthDay:
        return English().toString(date, QStringLiteral("MMM dd"));
    case DateForm::Full:
        break;
    }
    return English().toString(date, QStringLiteral("MM/dd/yyyy"));
}

void AppendHistoryDateText(std::string& out, const char* stored, const QDateTime& now, const QDate& today) {
    StoredDate d;
    if (!stored || !ReadPlainStoredDate(stored, d)) {
        out += HistoryDateText(QString::fromUtf8(stored), now).toStdString();
        return;
    }
    char text[16];
    char* at = text;
    switch (ShownForm(d, today)) {
    case DateForm::Time:
        // "hh" with a clock mark counts hours 12, 1, ..., 11.
        at = PutTwoDigits(at, d.hour % 12 == 0 ? 12 : d.hour % 12);
        *at++ = ':';
        at = PutTwoDigits(at, d.minute);
        *at++ = ' ';
        out.append(text, size_t(at - text));
        out += d.hour < 12 ? Names().am : Names().pm;
        return;
    case DateForm::MonthDay:
        out += Names().shortMonths[size_t(d.month - 1)];
        *at++ = ' ';
        at = PutTwoDigits(at, d.day);
        break;
    case DateForm::Full:
        at = PutTwoDigits(at, d.month);
        *at++ = '/';
        at = PutTwoDigits(at, d.day);
        *at++ = '/';
        at = PutTwoDigits(at, d.year / 100);
        at = PutTwoDigits(at, d.year % 100);
        break;
    }
    out.append(text, size_t(at - text));
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
