#pragma once
// A network failure of the HTTP transport: the request could not be
// completed (connection refused, name not resolved, connection reset, ...).
// `code` is 12000 + the libcurl result code, so it never collides with the
// transport's own result values (0, -1, 100..112, 200..208, 302, 404).

#include <QString>

#include <exception>
#include <string>

class TransportError : public std::exception {
  public:
    static constexpr int kCodeBase = 12000;

    TransportError(int code, QString message) : code(code), message(std::move(message)) {
        narrow_ = this->message.toStdString();
    }
    // From a libcurl result code and the handle's error buffer (may be empty:
    // then libcurl's generic text for the code is used).
    static TransportError FromCurl(int curlCode, const char* errorBuffer = nullptr);

    const char* what() const noexcept override { return narrow_.c_str(); }

    int code;
    QString message;

  private:
    std::string narrow_;
};
