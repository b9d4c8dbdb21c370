#pragma once
// A TransferContext for tests that drive an extractor or the transport
// without a DownloadWorker: it records what they report and lets the test
// request a stop.

#include "retrieval/TransferContext.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

class RecordingContext : public TransferContext {
  public:
    void PostStatus(int code, std::optional<QString> text = std::nullopt) override {
        statuses.push_back(code);
        statusTexts << text.value_or(QString());
        atStatus.push_back({code, lastError, captchaAddress, signInAddress});
    }
    void PostProgress(int perMille) override { progress.push_back(perMille); }
    void SetByteCounts(quint64 received, quint64 total) override {
        receivedBytes = received;
        totalBytes = total;
    }
    void PostTitle(const QString& text) override { titles << text; }
    void SetError(const QString& text) override { lastError = text; }
    int CheckStop() override { return stop ? 1 : 0; }
    bool StopRequested() const override { return stop; }
    int UseInternalCache() const override { return 0; }
    void RequestCaptcha(const QString& address) override { captchaAddress = address; }
    void RequestSignIn(const QString& address) override { signInAddress = address; }

    // Statuses posted since the last call.
    std::vector<int> TakeStatuses() { return std::exchange(statuses, {}); }

    // What a window would read when each status arrives.
    struct State {
        int code;
        QString lastError;
        QString captchaAddress;
        QString signInAddress;
    };

    std::vector<int> statuses;
    std::vector<State> atStatus;
    QStringList statusTexts;
    std::vector<int> progress;
    quint64 receivedBytes = 0;
    quint64 totalBytes = 0;
    QStringList titles;
    QString lastError;
    QString captchaAddress;
    QString signInAddress;
    std::atomic<bool> stop{false};
};
