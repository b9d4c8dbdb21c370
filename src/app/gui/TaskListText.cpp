#include "app/gui/TaskListText.h"

#include "history/HistoryRowText.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace TaskListText {

QString Fill(const QString& format, const QStringList& args) {
    static const QRegularExpression conversion(
        QStringLiteral("%%|%[-+ #0]*\\d*(?:\\.\\d+)?(?:hh|h|ll|l|L|z|j|t|I64)?[sSdiuoxXfFeEgGcp]"));
    QString out;
    qsizetype at = 0;
    int next = 0;
    auto it = conversion.globalMatch(format);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += format.mid(at, m.capturedStart() - at);
        if (m.captured() == QLatin1String("%%"))
            out += QLatin1Char('%');
        else if (next < args.size())
            out += args.at(next++);
        else
            ++next;
        at = m.capturedEnd();
    }
    out += format.mid(at);
    return out;
}

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
