#include "history/OtherSitesHistory.h"

#include "base/AppLog.h"
#include "history/CppSQLite3Exception.h"

#include <QDir>
#include <QFileInfo>

namespace {
// NULL counts as "none of the four" too: such a row belongs to no site node.
constexpr const char* kOtherLabels =
    "COALESCE(profile_name, '') NOT IN ('YOUTUBE', 'GOOGLE', 'METACAFE', 'NICOVIDEO')";

std::string_view Text(const SqliteResultSet& rows, int index) {
    const char* text = rows.ColumnText(index);
    return text ? std::string_view(text) : std::string_view();
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

int CountOtherSitesHistory(SqliteConnection* db) {
    if (!db)
        return 0;
    try {
        return db->QueryInt(QByteArray("SELECT COUNT(*) FROM history WHERE ") + kOtherLabels + ';');
    } catch (const CppSQLite3Exception& e) {
        LogError("CountOtherSitesHistory", "DB error occured: %d : %s", e.ErrorCode(), e.ErrorMessage());
        return -1;
    }
}

int QueryOtherSitesRows(SqliteConnection* db,
                        const std::function<void(const HistoryRowView&, std::string_view label)>& row) {
    if (!db)
        return 0;
    try {
        const QByteArray sql = QByteArray("SELECT src_file_name, dest_file_name, duration, vcodec, vsize, "
                                          "convert_date, profile_name FROM history WHERE ") +
                               kOtherLabels + " ORDER BY id;";
        SqliteResultSet rows = db->Query(sql.constData());
        for (; !rows.AtEnd(); rows.Next()) {
            const HistoryRowView view{Text(rows, 0), Text(rows, 1), rows.ColumnInt(2, 0),
                                      Text(rows, 3), Text(rows, 4), Text(rows, 5)};
            row(view, Text(rows, 6));
        }
        rows.Finalize();
    } catch (const CppSQLite3Exception& e) {
        LogError("QueryOtherSitesHistory", "DB error occured: %d : %s", e.ErrorCode(), e.ErrorMessage());
        return 0;
    }
    return 1;
}

int QueryOtherSitesHistory(SqliteConnection* db, HistoryRowReceiver& pane) {
    return QueryOtherSitesRows(db, [&pane](const HistoryRowView& row, std::string_view label) {
        DownloadTask task;
        task.siteUrl = FromUtf8(row.siteUrl);
        task.location = FromUtf8(row.location);
        task.lengthMs = row.lengthMs;
        task.markInMs = 0;
        task.markOutMs = task.lengthMs;
        task.videoFormat = FromUtf8(row.videoFormat);
        task.sizeText = FromUtf8(row.sizeText);
        task.dateText = FromUtf8(row.dateText);
        task.site = kOtherSiteTask;
        task.siteName = OtherSiteName(FromUtf8(label), task.location);
        pane.AddHistoryRow(std::move(task));
    });
}

QString OtherSiteName(const QString& label, const QString& location) {
    if (label.isEmpty())
        return label;
    // The file's site folder was named after the site as it spells itself.
    const QString folder = QFileInfo(location).dir().dirName();
    if (folder.compare(label, Qt::CaseInsensitive) == 0)
        return folder;
    return label.left(1).toUpper() + label.mid(1).toLower();
}
