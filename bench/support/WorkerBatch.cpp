#include "WorkerBatch.h"

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "platform/MessageTarget.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/DownloadWorker.h"

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {
// Far beyond any local download; only a hung batch reaches it.
constexpr auto kBatchLimit = std::chrono::minutes(30);
} // namespace

int RunWorkerBatch(const std::string& pageUrl, const std::string& outputFolder) {
    int argc = 1;
    char name[] = "download_throughput";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    InitLog(GetDataFolder() + QStringLiteral("/ruzivar.log"));

    const int result = [&] {
        QueueMessageTarget target;
        auto worker = std::make_shared<DownloadWorker>(&target);
        worker->SetOutputFolder(QString::fromStdString(outputFolder));
        worker->SetUseTitle(0);
        worker->SetRetryTimes(0);
        worker->Enqueue(QString::fromStdString(pageUrl), 0);

        const auto start = std::chrono::steady_clock::now();
        if (!worker->Start()) {
            std::printf("error the batch did not start\n");
            return 1;
        }
        bool itemDone = false;
        bool ended = false;
        int lastError = 0;
        QString errorText;
        while (!ended) {
            if (std::chrono::steady_clock::now() - start > kBatchLimit) {
                worker->Stop();
                std::printf("error the batch did not end within %d minutes\n", int(kBatchLimit.count()));
                return 1;
            }
            const std::optional<PostedMessage> m = target.Wait(std::chrono::milliseconds(100));
            if (!m)
                continue;
            switch (m->msg) {
            case UM_DOWNLOAD_ITEM_DONE:
                itemDone = true;
                break;
            case UM_DOWNLOAD_STATUS:
                if (DownloadStatus::CodeOf(m->lParam) >= DownloadStatus::Error) {
                    lastError = DownloadStatus::CodeOf(m->lParam);
                    errorText = m->text.value_or(QString());
                }
                break;
            case UM_DOWNLOAD_ALL_DONE:
            case UM_DOWNLOAD_STOPPED:
                ended = true;
                break;
            default:
                break;
            }
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (itemDone && lastError == 0) {
            std::printf("seconds %.6f\n", seconds);
            return 0;
        }
        std::printf("error the item was not downloaded (last error status %d%s%s)\n", lastError,
                    errorText.isEmpty() ? "" : ": ", errorText.toUtf8().constData());
        return 1;
    }();
    ShutdownLog();
    return result;
}
