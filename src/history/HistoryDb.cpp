#include "history/HistoryDb.h"

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "history/CppSQLite3Exception.h"
#include "history/SqliteStatementText.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sqlite3.h>

namespace {

// The interface version the stored files were first written with; logged as
// is so old and new logs compare.
constexpr const char* kSqliteVersion = "3.5.1";
constexpr const char* kTableName = "history";
constexpr const char* kCreateTable =
    "CREATE TABLE history(id INTEGER PRIMARY KEY, profile_name TEXT,src_file_name TEXT, dest_file_name TEXT, "
    "duration INTEGER, vcodec TEXT, vbitrate TEXT, fps NUMERIC, vsize TEXT, acodec TEXT, abitrate TEXT, "
    "asamplerate TEXT, achannel TEXT, noaudio BOOLEAN, convert_date TEXT );";

// Stored dates are read by every copy of the program whatever the user's
// language, so they are always written in the one English form.
QString StoredDateText(const QDateTime& when) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(when, QStringLiteral("MMMM dd, yyyy HH:mm:ss"));
}

// A column as a C string: up to its first NUL, null data for NULL.
std::string_view Text(const SqliteResultSet& rows, int index) {
    const char* text = rows.ColumnText(index);
    return text ? std::string_view(text) : std::string_view();
}

// The site numbers of the video sites (retrieval's VideoSite), which this
// layer does not see: any other site, and none.
constexpr int kOtherSite = 4;
constexpr int kNoSite = -1;
} // namespace

QString HistorySiteLabel(int site) {
    switch (site) {
    case 0:
        return QStringLiteral("YOUTUBE");
    case 1:
        return QStringLiteral("GOOGLE");
    case 2:
        return QStringLiteral("METACAFE");
    case 3:
        return QStringLiteral("NICOVIDEO");
    default:
        return QString();
    }
}

int SiteOfLabel(const QString& label) {
    for (int site = 0; site < kOtherSite; ++site)
        if (HistorySiteLabel(site) == label)
            return site;
    return label.isEmpty() ? kNoSite : kOtherSite;
}

void UseHistoryFromOneThread() {
    // Fails harmlessly (locking stays on) once SQLite is initialised.
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
}

int OpenHistoryDB(std::unique_ptr<SqliteConnection>& connection, QString* setAside) {
    return OpenHistoryDB(connection, QDir(GetDataFolder()).filePath(QStringLiteral("history.db")), setAside);
}

namespace {
// A free name beside `path` that says why the file was moved there.
QString SetAsideName(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 0;; ++n) {
        const QString name =
            path + QStringLiteral(".unreadable-") + stamp + (n ? QStringLiteral("-%1").arg(n) : QString());
        if (!QFileInfo::exists(name))
            return name;
    }
}

bool OpenOrCreate(SqliteConnection& db, const QString& path) {
    db.Open(path.toUtf8().constData());
    if (!db.HasTable(kTableName)) {
        LogInfo("OpenHistoryDB", "Creating %s table", kTableName);
        db.Execute(kCreateTable);
    }
    return true;
}
} // namespace

int OpenHistoryDB(std::unique_ptr<SqliteConnection>& connection, const QString& path, QString* setAside) {
    auto db = std::make_unique<SqliteConnection>();
    LogInfo("OpenHistoryDB", "SQLite Version: %s", kSqliteVersion);
    try {
        OpenOrCreate(*db, path);
    } catch (const CppSQLite3Exception& e) {
        LogError("OpenHistoryDB", "DB error occured: %d : %s", e.ErrorCode(), e.ErrorMessage());
        // A file that is not a database (or a damaged one) is kept as it is,
        // under a name that says so, and a new history starts. A busy or
        // unwritable file is left alone: nothing is wrong with its contents.
        const int code = e.ErrorCode() & 0xff;
        if (code != SQLITE_NOTADB && code != SQLITE_CORRUPT)
            return 0;
        db->Close();
        const QString kept = SetAsideName(path);
        if (!QFile::rename(path, kept)) {
            LogErrorW("OpenHistoryDB",
                      QStringLiteral("Can not move the unreadable history [%1] aside").arg(path));
            return 0;
        }
        LogWarnW("OpenHistoryDB",
                 QStringLiteral("The history [%1] could not be read; kept as [%2], a new one started")
                     .arg(path, kept));
        try {
            OpenOrCreate(*db, path);
        } catch (const CppSQLite3Exception& again) {
            LogError("OpenHistoryDB", "DB error occured: %d : %s", again.ErrorCode(), again.ErrorMessage());
            return 0;
        }
        if (setAside)
            *setAside = kept;
    }
    connection = std::move(db);
    return 1;
}

int InsertHistory(SqliteConnection* db, const DownloadTask& task, const QDateTime& insertedAt) {
    const QString label =
        task.site == kOtherSite ? task.siteName.trimmed().toUpper() : HistorySiteLabel(task.site);
    if (!db)
        return 1;
    if (label.isEmpty()) {
        // A row without a label would never be listed under any site.
        LogError("InsertHistory", "Task of unknown site %d not inserted", task.site);
        return 0;
    }
    // Numbers go through QByteArray::number: printf would follow the user's
    // decimal comma, and the stored texts must not depend on it.
    const QByteArray frameSize = QByteArray::number(task.width) + 'x' + QByteArray::number(task.height);
    const QByteArray videoBitrate = QByteArray::number(task.videoBitrate, 'f', 0);
    const QByteArray frameRate = QByteArray::number(task.fps, 'f', 2);
    const QByteArray labelText = label.toUtf8();
    const QByteArray pageUrl = task.pageUrl.toUtf8();
    const QByteArray location = task.location.toUtf8();
    const QByteArray videoFormat = task.videoFormat.toUtf8();
    const QByteArray audioCodec = task.audioCodec.toUtf8();
    const QByteArray date = StoredDateText(insertedAt).toUtf8();
    try {
        SqliteStatementText sql;
        sql.Format("INSERT INTO history VALUES (NULL, %Q, %Q, %Q, '%ld', %Q, %Q, %Q, %Q, %Q, '%ld', '%ld', "
                   "'%ld', '%ld', %Q);",
                   labelText.constData(), pageUrl.constData(), location.constData(),
                   static_cast<long>(task.markOutMs) - task.markInMs, videoFormat.constData(),
                   videoBitrate.constData(), frameRate.constData(), frameSize.constData(),
                   audioCodec.constData(), static_cast<long>(task.audioBitrate),
                   static_cast<long>(task.audioRate), static_cast<long>(task.audioChannels),
                   static_cast<long>(task.hasAudio ? 1 : 0), date.constData());
        db->Execute(sql);
    } catch (const CppSQLite3Exception& e) {
        LogError("InsertHistory", "DB error occured when inserting : %d : %s", e.ErrorCode(),
                 e.ErrorMessage());
        return 0;
    }
    return 1;
}

int DeleteHistory(SqliteConnection* db, const DownloadTask& task) {
    if (!db)
        return 1;
    const QByteArray location = task.location.toUtf8();
    try {
        SqliteStatementText sql;
        sql.Format("DELETE FROM history WHERE dest_file_name = %Q;", location.constData());
        db->Execute(sql);
    } catch (const CppSQLite3Exception& e) {
        LogError("DeleteHistory", "DB error occured when deleting : %d : %s", e.ErrorCode(),
                 e.ErrorMessage());
        return 0;
    }
    return 1;
}

int QueryHistoryRows(SqliteConnection* db, const QString& label,
                     const std::function<void(const HistoryRowView&)>& row) {
    if (!db)
        return 0;
    const QByteArray labelText = label.toUtf8();
    try {
        // The label is quoted by SQLite too, so no text can end the literal.
        SqliteStatementText sql;
        sql.Format(
            "SELECT src_file_name, dest_file_name, duration, vcodec, vsize, convert_date FROM %s WHERE "
            "profile_name = %Q;",
            kTableName, labelText.constData());
        SqliteResultSet rows = db->Query(sql);
        for (; !rows.AtEnd(); rows.Next()) {
            const HistoryRowView view{Text(rows, 0), Text(rows, 1), rows.ColumnInt(2, 0),
                                      Text(rows, 3), Text(rows, 4), Text(rows, 5)};
            row(view);
        }
        rows.Finalize();
    } catch (const CppSQLite3Exception& e) {
        LogError("QueryHistory", "DB error occured: %d : %s", e.ErrorCode(), e.ErrorMessage());
        return 0;
    }
    return 1;
}

int QueryHistory(SqliteConnection* db, const QString& label, HistoryRowReceiver& pane) {
    return QueryHistoryRows(db, label, [&pane, &label](const HistoryRowView& row) {
        DownloadTask task;
        task.siteUrl = QString::fromUtf8(row.siteUrl.data());
        task.location = QString::fromUtf8(row.location.data());
        task.lengthMs = row.lengthMs;
        task.markInMs = 0;
        task.markOutMs = task.lengthMs;
        task.videoFormat = QString::fromUtf8(row.videoFormat.data());
        task.sizeText = QString::fromUtf8(row.sizeText.data());
        task.dateText = QString::fromUtf8(row.dateText.data());
        // Only the capitals are stored: they are the site's name from now on.
        if (SiteOfLabel(label) == kOtherSite) {
            task.site = kOtherSite;
            task.siteName = label;
        }
        pane.AddHistoryRow(std::move(task));
    });
}

int CountHistory(SqliteConnection* db, const QString& label) {
    if (!db)
        return 0;
    const QByteArray labelText = label.toUtf8();
    try {
        if (label.isEmpty())
            return db->QueryInt("SELECT COUNT(*) FROM history;");
        SqliteStatementText sql;
        sql.Format("SELECT COUNT(*) FROM %s WHERE profile_name = %Q;", kTableName, labelText.constData());
        return db->QueryInt(sql);
    } catch (const CppSQLite3Exception& e) {
        LogError("CountHistory", "DB error occured: %d : %s", e.ErrorCode(), e.ErrorMessage());
        return -1;
    }
}
