#include "update/CheckVersion.h"

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/IniFile.h"
#include "platform/MessageTarget.h"
#include "retrieval/HttpSession.h"

#include <QFileInfo>
#include <QSaveFile>

#include <curl/curl.h>

#include <mutex>

namespace {
const char* const kThreadCategory = "CheckVersionThread";
const char* const kGetFileCategory = "CCheckUpdateDlg::GetFile";

// Guards the receiver so that clearing it and posting to it never overlap.
std::mutex g_receiverMutex;
MessageTarget* g_receiver = nullptr;

// Posts when a receiver is set; true when it was.
bool PostToReceiver(int msg, qintptr wParam, qintptr lParam) {
    std::lock_guard lock(g_receiverMutex);
    if (!g_receiver)
        return false;
    g_receiver->Post(msg, wParam, lParam);
    return true;
}

// The version file is a few lines; anything beyond this is not one.
constexpr qint64 kMaxVersionFileBytes = qint64(1) * 1024 * 1024;

size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
    auto* file = static_cast<QSaveFile*>(user);
    const qint64 bytes = qint64(size * count);
    if (file->pos() + bytes > kMaxVersionFileBytes)
        return 0; // ends the transfer with a write error
    return file->write(data, bytes) == bytes ? size * count : 0;
}
} // namespace

VersionTriple ProgramVersion() {
    return {ZORV_VERSION_MAJOR, ZORV_VERSION_MINOR, ZORV_VERSION_PATCH};
}

bool IsNewerVersion(const VersionTriple& c, const VersionTriple& l) {
    if (c.major != l.major)
        return c.major < l.major;
    if (c.minor != l.minor)
        return c.minor < l.minor;
    return c.build < l.build;
}

qintptr PackVersionWParam(const VersionTriple& v) {
    return qintptr((quint32(v.minor) & 0xFFFF) << 16 | (quint32(v.major) & 0xFFFF));
}

VersionTriple UnpackVersion(qintptr wParam, qintptr lParam) {
    return {int(quint32(wParam) & 0xFFFF), int((quint32(wParam) >> 16) & 0xFFFF), int(lParam)};
}

void SetVersionReceiver(MessageTarget* receiver) {
    std::lock_guard lock(g_receiverMutex);
    g_receiver = receiver;
}

QString VersionFileUrl() {
    return QStringLiteral("http://%1/zorvfetch_version.ini").arg(QStringLiteral(ZORV_UPDATE_HOST));
}

QString LocalVersionFilePath() {
    const QString appFolder = GetAppFolder();
    const QFileInfo folder(appFolder);
    // An installed program lives in a folder its user cannot write to.
    const QString base = folder.isDir() && folder.isWritable() ? appFolder : GetDataFolder();
    return base + QStringLiteral("/version.ini");
}

int GetFile(const QString& url, const QString& localPath) {
    LogInfoW(kGetFileCategory, QStringLiteral("Downloading file from url: %1").arg(url));
    QSaveFile file(localPath);
    QString error;
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("can not create %1: %2").arg(localPath, file.errorString());
    } else if (CURL* curl = curl_easy_init()) {
        char curlError[CURL_ERROR_SIZE] = {};
        const QByteArray urlBytes = url.toUtf8();
        ApplyTransportDefaults(curl);
        curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, curlError);
        curl_easy_setopt(curl, CURLOPT_PROXY, ""); // a direct connection
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(kMaxVersionFileBytes));
        // An error page (404, 500) is no version file: it would read as
        // 0.0.0, "no new version", and replace the last good file.
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
        curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
        headers = curl_slist_append(headers, "Pragma: no-cache");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &file);
        const CURLcode rc = curl_easy_perform(curl);
        if (rc != CURLE_OK)
            error = QString::fromUtf8(*curlError ? curlError : curl_easy_strerror(rc));
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
    } else {
        error = QStringLiteral("can not start a transfer");
    }
    if (error.isEmpty() && !file.commit())
        error = QStringLiteral("can not write %1: %2").arg(localPath, file.errorString());
    if (!error.isEmpty()) {
        file.cancelWriting();
        LogErrorW(kGetFileCategory, QStringLiteral("Error occured: %1").arg(error.left(254)));
        return 0;
    }
    return 1;
}

int CheckVersionThread(VersionTriple current) {
    LogInfo(kThreadCategory, "Checking upgrade version...");
    const QString url = VersionFileUrl();
    const QString localPath = LocalVersionFilePath();
    LogInfoW(kThreadCategory, QStringLiteral("Downloading INI file %1...").arg(localPath));
    if (!GetFile(url, localPath)) {
        PostToReceiver(UM_VERSION_FAILED, 0, 0);
        LogInfo(kThreadCategory, "Check new version failed.");
        return 0;
    }
    const IniFile ini(localPath);
    const QString section = QStringLiteral("Gerneral");
    const VersionTriple latest{ini.GetInt(section, QStringLiteral("major_version"), 0),
                               ini.GetInt(section, QStringLiteral("minor_version"), 0),
                               ini.GetInt(section, QStringLiteral("build"), 0)};
    const bool newer = IsNewerVersion(current, latest);
    if (PostToReceiver(newer ? UM_VERSION_NEWER : UM_VERSION_CURRENT, PackVersionWParam(latest),
                       latest.build))
        LogInfo(kThreadCategory,
                newer ? "New version available: %d.%d.%d" : "No new version available: %d.%d.%d",
                latest.major, latest.minor, latest.build);
    return 0;
}

std::thread StartCheckVersionThread(VersionTriple current) {
    return std::thread([current] { CheckVersionThread(current); });
}
