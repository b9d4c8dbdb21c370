// The texts of one history row from whatever the database holds: the row
// texts the window shows and the fast forms the listing prints must agree.
//
// Input: four bytes (length in ms) \x1F two bytes (days from a fixed "now")
// \x1F file path \x1F stored date \x1F format \x1F address.

#include "FuzzInput.h"
#include "history/HistoryRowText.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QByteArray msBytes = in.NextBytes();
    int ms = 0;
    std::memcpy(&ms, msBytes.constData(), std::min<size_t>(sizeof ms, size_t(msBytes.size())));
    const QByteArray dayBytes = in.NextBytes();
    const int days = dayBytes.size() >= 2 ? int(qint16((uchar(dayBytes[0]) << 8) | uchar(dayBytes[1]))) : 0;

    DownloadTask task;
    task.location = in.NextText();
    task.lengthMs = ms;
    const QByteArray storedDate = in.NextBytes();
    task.dateText = QString::fromUtf8(storedDate);
    task.videoFormat = in.NextText();
    task.siteUrl = in.NextText();
    task.sizeText = QString::fromUtf8(in.Rest());
    const QDateTime now = QDateTime(QDate(2012, 3, 5), QTime(14, 7, 9)).addDays(days);

    const HistoryRowText row = MakeHistoryRowText(task, now);
    FUZZ_CHECK(row.titleTip == task.siteUrl);
    FUZZ_CHECK(row.size == task.sizeText);
    FUZZ_CHECK(!row.duration.isEmpty());

    std::string duration;
    AppendDurationText(duration, ms);
    FUZZ_CHECK(QString::fromStdString(duration) == row.duration);

    // The listing reads the stored bytes as the database hands them over: up
    // to the first NUL.
    const QByteArray cString =
        storedDate.left(storedDate.indexOf('\0') < 0 ? storedDate.size() : storedDate.indexOf('\0'));
    std::string date;
    AppendHistoryDateText(date, cString.constData(), now, now.date());
    FUZZ_CHECK(QString::fromStdString(date) == HistoryDateText(QString::fromUtf8(cString), now));
    return 0;
}
