#pragma once
// A plain libcurl client for checking the simulator: routed with the
// simulator's connect-to list, trusting its CA, never following redirects,
// and keeping cookies across the requests of one client object.

#include <curl/curl.h>

#include <QByteArray>
#include <QString>

struct SimReply {
    CURLcode code = CURLE_OK;
    long status = 0;
    QByteArray headers;
    QByteArray body;
    QString location;
    QString Header(const char* name) const; // first header line's value, empty when none
    bool HasSetCookie(const QString& namePrefix) const;
};

class SimClient {
  public:
    // `caBundle` empty: only the system's trusted authorities.
    SimClient(const QString& connectTo, const QString& caBundle);
    ~SimClient();
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    SimReply Get(const QString& url, long timeoutMs = 10000);
    // Sends `body` with the given content type (none when empty).
    SimReply Post(const QString& url, const QByteArray& body, const char* contentType = nullptr);

  private:
    SimReply Perform(const QString& url, const QByteArray* body, const char* contentType, long timeoutMs);

    CURL* curl_;
    curl_slist* connectTo_ = nullptr;
    QByteArray caBundle_;
};
