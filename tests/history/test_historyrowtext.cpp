#include "history/HistoryRowText.h"

#include <gtest/gtest.h>

#include <QLocale>

TEST(HistoryRowTextTest, Durations) {
    EXPECT_EQ(FormatDurationText(3725000), "01:02:05");
    EXPECT_EQ(FormatDurationText(65000), "00:01:05");
    EXPECT_EQ(FormatDurationText(0), "00:00:00");
    EXPECT_EQ(FormatDurationText(3599999), "00:59:59");
    EXPECT_EQ(FormatDurationText(3600000), "01:00:00");
    EXPECT_EQ(FormatDurationText(90000000), "25:00:00");
}

TEST(HistoryRowTextTest, DatesAreShownByAge) {
    const QDateTime now(QDate(2012, 3, 20), QTime(15, 30, 0));
    EXPECT_EQ(HistoryDateText("March 20, 2012 14:07:09", now), "02:07 PM");
    EXPECT_EQ(HistoryDateText("March 20, 2012 00:00:01", now), "12:00 AM");
    EXPECT_EQ(HistoryDateText("March 20, 2012 00:00:00", now), "Mar 20"); // not later than midnight
    EXPECT_EQ(HistoryDateText("March 05, 2012 14:07:09", now), "Mar 05");
    EXPECT_EQ(HistoryDateText("January 01, 2012 00:00:00", now), "01/01/2012");
    EXPECT_EQ(HistoryDateText("March 05, 2011 14:07:09", now), "03/05/2011");
    EXPECT_EQ(HistoryDateText("December 31, 2011 23:59:59", now), "12/31/2011");

    // The user's language changes neither the stored nor the shown form.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(HistoryDateText("March 05, 2012 14:07:09", now), "Mar 05");
    QLocale::setDefault(QLocale::c());

    // Anything else is shown as it was stored.
    EXPECT_EQ(HistoryDateText("", now), "");
    EXPECT_EQ(HistoryDateText("05.03.2012 14:07", now), "05.03.2012 14:07");
    EXPECT_EQ(HistoryDateText("Smarch 05, 2012 14:07:09", now), "Smarch 05, 2012 14:07:09");
}

TEST(HistoryRowTextTest, AppendedTextsMatchTheQStringForms) {
    const QDateTime now(QDate(2012, 3, 20), QTime(15, 30, 0));
    const char* dates[] = {"March 20, 2012 14:07:09",
                           "March 20, 2012 00:30:00",
                           "March 20, 2012 12:00:00",
                           "March 20, 2012 23:59:59",
                           "March 20, 2012 00:00:00",
                           "September 09, 2012 09:05:00",
                           "January 01, 2012 00:00:01",
                           "January 01, 2012 00:00:00",
                           "June 10, 0999 10:00:00",
                           "February 29, 2012 10:00:00",
                           "February 29, 2011 10:00:00",
                           "July 04, 0000 10:00:00",
                           "March 20, 2012 24:00:00",
                           "March 5, 2012 14:07:09",
                           "march 05, 2012 14:07:09",
                           "March 05, 2012 14:07:09\n",
                           "March 05, 2012 14:07:09 ",
                           "Smarch 05, 2012 14:07:09",
                           "March \u0665\u0665, 2012 14:07:09",
                           "",
                           "junk"};
    for (const char* stored : dates) {
        std::string out = "x";
        AppendHistoryDateText(out, stored, now, now.date());
        EXPECT_EQ(out, "x" + HistoryDateText(QString::fromUtf8(stored), now).toStdString()) << stored;
    }
    std::string none;
    AppendHistoryDateText(none, nullptr, now, now.date());
    EXPECT_EQ(none, "");

    for (const int ms : {0, 999, 65000, 3599999, 3725000, 359999999, 360000000, -5000, 2147483647}) {
        std::string out = "x";
        AppendDurationText(out, ms);
        EXPECT_EQ(out, "x" + FormatDurationText(ms).toStdString()) << ms;
    }
}

TEST(HistoryRowTextTest, ColumnsOfAHistoryRow) {
    DownloadTask task;
    task.location = "/home/u/Zorv/YouTube/Tom & Jerry && friends.part.flv";
    task.siteUrl = "http://www.youtube.com/watch?v=x";
    task.lengthMs = 65000;
    task.markOutMs = 65000;
    task.videoFormat = "avc1";
    task.sizeText = "320x240";
    task.dateText = "March 05, 2011 14:07:09";
    const HistoryRowText row = MakeHistoryRowText(task, QDateTime(QDate(2012, 3, 20), QTime(15, 30)));
    EXPECT_EQ(row.title, "Tom && Jerry &&&& friends.part");
    EXPECT_EQ(row.titleTip, "http://www.youtube.com/watch?v=x");
    EXPECT_EQ(row.duration, "00:01:05");
    EXPECT_EQ(row.format, "AVC1");
    EXPECT_EQ(row.size, "320x240");
    EXPECT_EQ(row.date, "03/05/2011");
}
