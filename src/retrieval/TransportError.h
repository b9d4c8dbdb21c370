#pragma once
// A network failure of the HTTP transport: the request could not be
// completed (connection refused, name not resolved, connection reset, ...).
// `code` is 12000 + the libcurl result code, so it never collides with the
// transport's own result values (0, -1, 100..112, 200..208, 302, 404).
//
// Two codes are the transport's own verdicts rather than faults libcurl met:
// - kAborted: the request's abortCheck returned true (a stop request, an
//   abandoned worker). IsAbort() tells it apart from every network failure,
//   also after the code has travelled on as a plain int result.
// - kInvalidFraming: the response's framing was invalid (Content-Length
//   headers that disagree), so its body cannot be trusted to be the one
//   the server meant.

#include <QString>

#include <exception>
#include <string>

class TransportError : public std::exception {
  public:
    static constexpr int kCodeBase = 12000;
    static constexpr int kAborted = kCodeBase + 42;       // CURLE_ABORTED_BY_CALLBACK
    static constexpr int kInvalidFraming = kCodeBase + 8; // CURLE_WEIRD_SERVER_REPLY

    TransportError(int code, QString message) : code(code), message(std::move(message)) {
        narrow_ = this->message.toStdString();
    }
    // From a libcurl result code and the handle's error buffer (may be empty:
    // then libcurl's generic text for the code is used).
    static TransportError FromCurl(int curlCode, const char* errorBuffer = nullptr);

    // True when the exchange was ended by its abortCheck, not by the network.
    bool IsAbort() const { return code == kAborted; }
    static bool IsAbortCode(int resultCode) { return resultCode == kAborted; }

    const char* what() const noexcept override { return narrow_.c_str(); }

    int code;
    QString message;

  private:
    std::string narrow_;
};
