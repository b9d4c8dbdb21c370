#include "app/tasklist/TaskListText.h"

#include "history/HistoryRowText.h"

#include <QFileInfo>
#include <QLocale>

namespace TaskListText {

QString Progress(int perMille) {
    return QString::asprintf("%.1f%%", perMille / 10.0);
}

QString GroupedCount(quint64 count) {
    return QLocale::system().toString(static_cast<qulonglong>(count));
}

QString LocalFileTitle(const QString& path) {
    // Table cells draw "&" as it is (no mnemonics), so it is not doubled.
    return QFileInfo(path).completeBaseName();
}

QString Duration(const DownloadTask& task) {
    if (task.state == DownloadTask::Pending)
        return QStringLiteral("N/A");
    return FormatDurationText(task.markOutMs - task.markInMs);
}

QString Format(const DownloadTask& task) {
    return task.state == DownloadTask::Pending ? QStringLiteral("Online") : task.videoFormat;
}

QString FrameSize(const DownloadTask& task) {
    if (task.state == DownloadTask::Pending)
        return QStringLiteral("N/A");
    return QString::asprintf("%dx%d", task.width, task.height);
}

QString FrameRate(const DownloadTask& task) {
    if (task.state == DownloadTask::Pending)
        return QStringLiteral("N/A");
    return QString::asprintf("%.0f fps", task.fps);
}

} // namespace TaskListText
