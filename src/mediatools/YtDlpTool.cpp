#include "mediatools/YtDlpTool.h"

#include "mediatools/CYtDlpProcess.h"

#include <QRegularExpression>

#include <cerrno>

YtDlpTool::YtDlpTool(const QString& configuredPath)
    : program_(configuredPath.trimmed().isEmpty() ? QStringLiteral("yt-dlp") : configuredPath.trimmed()) {}

YtDlpVersion YtDlpTool::Version(int timeoutMs) const {
    YtDlpVersion result;
    CYtDlpProcess process(CYtDlpProcess::Mode::Collect, 4096);
    if (!process.Open({program_, QStringLiteral("--version")})) {
        const int err = process.LastError();
        result.status =
            err == ENOENT || err == EACCES ? YtDlpVersion::Status::Missing : YtDlpVersion::Status::Broken;
        result.error = result.status == YtDlpVersion::Status::Missing
                           ? QStringLiteral("yt-dlp was not found (\"%1\")").arg(program_)
                           : QStringLiteral("yt-dlp could not be started (error %1)").arg(err);
        return result;
    }
    result.status = YtDlpVersion::Status::Broken;
    if (!process.WaitForReader(timeoutMs)) {
        process.Close();
        result.error = QStringLiteral("yt-dlp did not tell its version within %1 s").arg(timeoutMs / 1000.0);
        return result;
    }
    process.Close();
    const QStringList lines = process.Lines();
    if (process.ExitCode() != 0) {
        result.error = QStringLiteral("yt-dlp --version failed (exit code %1)").arg(process.ExitCode());
        return result;
    }
    const QString text = lines.isEmpty() ? QString() : lines.first().trimmed();
    if (lines.size() != 1 || process.Unreadable() || !ReleaseDate(text)) {
        result.error = QStringLiteral("yt-dlp answered --version with an unreadable text");
        return result;
    }
    result.status = YtDlpVersion::Status::Ok;
    result.version = text;
    return result;
}

std::optional<QDate> YtDlpTool::ReleaseDate(const QString& version) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})\\.(\\d{2})\\.(\\d{2})(?:\\.\\d+)?$"));
    const QRegularExpressionMatch m = pattern.match(version);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<bool> YtDlpTool::IsOutdated(const QString& version, const QDate& today) {
    const std::optional<QDate> date = ReleaseDate(version);
    if (!date)
        return std::nullopt;
    return date->daysTo(today) > kMaxAgeDays;
}
