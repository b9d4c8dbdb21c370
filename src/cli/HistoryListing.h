#pragma once
// zorv-get --history: the rows of the history list as tab-separated lines on
// a stream (site label, date, duration, format, size, file, page address),
// without the list's title column. A row of another site than the four
// starts with that site's own label ("VIMEO").

#include "history/HistoryDb.h"
#include "history/SqliteConnection.h"

#include <QDateTime>
#include <QString>

#include <cstdio>
#include <string>
#include <string_view>

class HistoryListing {
  public:
    explicit HistoryListing(FILE* out);
    ~HistoryListing();

    // Lists every row of one site label. False on a database error (the rows
    // before it are listed).
    bool List(SqliteConnection* db, const QString& label);
    // Lists every row of the other sites, each with its label.
    bool ListOtherSites(SqliteConnection* db);
    // Writes what is gathered.
    void Flush();
    int Rows() const { return rows_; }

  private:
    void SetCache(SqliteConnection* db);
    void AddRow(std::string_view label, const HistoryRowView& row);

    // Rows are gathered into large blocks before they are written: one write
    // per row would cost more than reading the row.
    static constexpr size_t kBlockBytes = size_t(1) << 16;

    FILE* out_;
    const QDateTime now_ = QDateTime::currentDateTime();
    const QDate today_ = now_.date();
    std::string block_;
    int rows_ = 0;
    bool cacheSet_ = false;
};
