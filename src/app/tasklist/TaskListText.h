#pragma once
// The texts the task list shows, kept apart from the widgets so the rules
// (duration, frame size, frame rate, progress, counts) are in one place.

#include "history/DownloadTask.h"

#include <QString>
#include <QStringList>

namespace TaskListText {

// "45.3%" for 453.
QString Progress(int perMille);
// A byte count printed in the user's locale, grouped, without decimals.
QString GroupedCount(quint64 count);
// A local file's title: its base name without folder and extension, every
// "&" doubled.
QString LocalFileTitle(const QString& path);
// Columns 2 to 5 of a row: "N/A", "Online", "N/A", "N/A" while pending;
// else the duration of the marked range, the format, "%dx%d" and "%.0f fps".
QString Duration(const DownloadTask& task);
QString Format(const DownloadTask& task);
QString FrameSize(const DownloadTask& task);
QString FrameRate(const DownloadTask& task);

inline const QString kReady = QStringLiteral("Ready for download...");
inline const QString kWaiting = QStringLiteral("Waiting");

} // namespace TaskListText
