#include "retrieval/HttpSession.h"

#include "retrieval/TransportError.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <map>
#include <memory>
#include <mutex>

namespace {
// Stall guard: a server that sends nothing for this long ends the transfer
// with a network failure instead of holding the worker for ever.
constexpr long kConnectTimeoutSeconds = 60;
constexpr long kStallSeconds = 60;
// How long a built certificate store is reused (libcurl's own default).
constexpr long kCaCacheSeconds = 24 * 60 * 60;

// The share object and the locks libcurl asks for while it touches the jar,
// the DNS cache or the TLS session cache from several handles at once.
class SharedState {
  public:
    SharedState() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        share_ = curl_share_init();
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &SharedState::Lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &SharedState::Unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    }
    ~SharedState() {
        for (auto& [text, list] : connectTo_)
            curl_slist_free_all(list);
        curl_share_cleanup(share_);
    }

    CURLSH* Share() const { return share_; }

    // The parsed routing list for one value of ZORV_CONNECT_TO. Lists are
    // kept for the process: a handle configured earlier may still use one.
    curl_slist* ConnectTo(const QByteArray& value) {
        std::lock_guard lock(listMutex_);
        auto it = connectTo_.find(value);
        if (it != connectTo_.end())
            return it->second;
        curl_slist* list = nullptr;
        for (const QByteArray& entry : value.split(',')) {
            const QByteArray trimmed = entry.trimmed();
            if (!trimmed.isEmpty())
                list = curl_slist_append(list, trimmed.constData());
        }
        connectTo_.emplace(value, list);
        return list;
    }

    // A file holding the system CAs followed by the extra CA file, written
    // once per version of the extra file. libcurl keeps the store it builds
    // from a CA file in memory and looks the file up again only when another
    // name is given, so each version gets its own file.
    QByteArray CaFile(const QString& extraPath, const char* systemBundle) {
        std::lock_guard lock(listMutex_);
        const QString key =
            extraPath + QLatin1Char('\n') + QFileInfo(extraPath).lastModified().toString(Qt::ISODateWithMs);
        auto it = caFiles_.find(key);
        if (it == caFiles_.end()) {
            auto file =
                std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/zorv-ca-XXXXXX.pem"));
            if (!file->open())
                return QFile::encodeName(extraPath); // the extra CAs alone: still verified
            QFile system(
                QString::fromLocal8Bit(systemBundle ? systemBundle : "/etc/ssl/certs/ca-certificates.crt"));
            if (system.open(QIODevice::ReadOnly))
                file->write(system.readAll());
            QFile extra(extraPath);
            if (extra.open(QIODevice::ReadOnly))
                file->write('\n' + extra.readAll());
            file->flush();
            it = caFiles_.emplace(key, std::move(file)).first;
        }
        return QFile::encodeName(it->second->fileName());
    }

  private:
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<SharedState*>(self)->Mutex(data).lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<SharedState*>(self)->Mutex(data).unlock();
    }
    std::mutex& Mutex(curl_lock_data data) {
        const int index = static_cast<int>(data);
        return locks_[index >= 0 && index < kLocks ? index : 0];
    }

    static constexpr int kLocks = CURL_LOCK_DATA_LAST;
    std::mutex locks_[kLocks];
    CURLSH* share_ = nullptr;

    std::mutex listMutex_;
    std::map<QByteArray, curl_slist*> connectTo_;
    // Kept for the process: a handle configured earlier may still read one.
    std::map<QString, std::unique_ptr<QTemporaryFile>> caFiles_;
};

SharedState& State() {
    static SharedState state;
    return state;
}

// A throw-away handle bound to the shared jar, for reading or changing it.
struct JarHandle {
    JarHandle() : easy(curl_easy_init()) {
        curl_easy_setopt(easy, CURLOPT_SHARE, State().Share());
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    }
    ~JarHandle() { curl_easy_cleanup(easy); }
    JarHandle(const JarHandle&) = delete;
    JarHandle& operator=(const JarHandle&) = delete;
    CURL* easy;
};
} // namespace

TransportError TransportError::FromCurl(int curlCode, const char* errorBuffer) {
    QString text = errorBuffer && *errorBuffer
                       ? QString::fromUtf8(errorBuffer)
                       : QString::fromUtf8(curl_easy_strerror(static_cast<CURLcode>(curlCode)));
    return TransportError(kCodeBase + curlCode, text.trimmed());
}

void ApplyTransportDefaults(CURL* easy) {
    SharedState& state = State();
    curl_easy_setopt(easy, CURLOPT_SHARE, state.Share());
    // An empty file name switches the cookie engine on without reading a file.
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);

    const QByteArray connectTo = qgetenv("ZORV_CONNECT_TO");
    curl_easy_setopt(easy, CURLOPT_CONNECT_TO, connectTo.isEmpty() ? nullptr : state.ConnectTo(connectTo));

    // One CA file and no CA folder: libcurl then builds the certificate store
    // once per connection pool and keeps it, instead of parsing the bundle
    // again on every TLS handshake.
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, kCaCacheSeconds);
    const QString extraCa = qEnvironmentVariable("ZORV_CA_BUNDLE");
    if (!extraCa.isEmpty()) {
        char* systemBundle = nullptr;
        curl_easy_getinfo(easy, CURLINFO_CAINFO, &systemBundle);
        const QByteArray caFile = state.CaFile(extraCa, systemBundle);
        curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.constData());
    }
}

QStringList ExportCookies() {
    JarHandle jar;
    curl_slist* cookies = nullptr;
    QStringList lines;
    if (curl_easy_getinfo(jar.easy, CURLINFO_COOKIELIST, &cookies) == CURLE_OK) {
        for (curl_slist* item = cookies; item; item = item->next)
            lines << QString::fromUtf8(item->data);
        curl_slist_free_all(cookies);
    }
    return lines;
}

void ImportCookie(const QString& line) {
    JarHandle jar;
    const QByteArray bytes = line.toUtf8();
    curl_easy_setopt(jar.easy, CURLOPT_COOKIELIST, bytes.constData());
}

void ClearCookies() {
    JarHandle jar;
    curl_easy_setopt(jar.easy, CURLOPT_COOKIELIST, "ALL");
}
