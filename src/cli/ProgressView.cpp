#include "cli/ProgressView.h"

ProgressView::ProgressView(FILE* out, bool terminal, bool quiet)
    : out_(out), terminal_(terminal), quiet_(quiet) {}

QString ProgressView::FormatBytes(double bytes) {
    static const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    return unit == 0 ? QStringLiteral("%1 B").arg(qint64(bytes))
                     : QStringLiteral("%1 %2").arg(bytes, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString ProgressView::FormatDuration(qint64 seconds) {
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void ProgressView::ClearBar() {
    if (barShown_) {
        std::fputs("\r\033[K", out_);
        barShown_ = false;
    }
}

void ProgressView::BeginItem(const QString& address, int index, int count) {
    itemClock_.start();
    lastPlainDecile_ = -1;
    Line(QStringLiteral("[%1/%2] ").arg(index).arg(count) + address);
}

void ProgressView::Progress(int perMille, quint64 receivedBytes, quint64 totalBytes) {
    if (quiet_)
        return;
    const double seconds = itemClock_.isValid() ? itemClock_.elapsed() / 1000.0 : 0;
    const double speed = seconds > 0.05 ? receivedBytes / seconds : 0;
    const QString speedText = speed > 0 ? FormatBytes(speed) + QStringLiteral("/s") : QStringLiteral("--");
    const QString eta = speed > 0 && totalBytes >= receivedBytes
                            ? FormatDuration(qint64((totalBytes - receivedBytes) / speed + 0.5))
                            : QStringLiteral("--:--:--");
    if (terminal_) {
        DrawBar(perMille, QStringLiteral(" %1 / %2  %3  ETA %4")
                              .arg(FormatBytes(double(receivedBytes)), FormatBytes(double(totalBytes)),
                                   speedText, eta));
        return;
    }
    // Plain output: one line for every tenth of the file.
    if (NewDecile(perMille))
        Line(QStringLiteral("  %1% of %2, %3")
                 .arg(perMille / 10.0, 0, 'f', 1)
                 .arg(FormatBytes(double(totalBytes)), speedText));
}

void ProgressView::DrawBar(int perMille, const QString& tail) {
    constexpr int width = 30;
    const int filled = perMille * width / 1000;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
    const QString text = QStringLiteral("\r\033[K  [%1] %2%").arg(bar).arg(perMille / 10.0, 5, 'f', 1) + tail;
    std::fputs(text.toUtf8().constData(), out_);
    std::fflush(out_);
    barShown_ = true;
}

bool ProgressView::NewDecile(int perMille) {
    const int decile = perMille / 100;
    if (decile == lastPlainDecile_)
        return false;
    lastPlainDecile_ = decile;
    return true;
}

void ProgressView::BeginAction(const QString& what) {
    lastPlainDecile_ = -1;
    Line(QStringLiteral("  ") + what);
}

void ProgressView::ActionProgress(int perMille) {
    if (quiet_)
        return;
    if (terminal_)
        DrawBar(perMille, QString());
    else if (NewDecile(perMille))
        Line(QStringLiteral("  %1% done").arg(perMille / 10.0, 0, 'f', 1));
}

void ProgressView::Line(const QString& text) {
    if (quiet_)
        return;
    ClearBar();
    std::fprintf(out_, "%s\n", text.toUtf8().constData());
    std::fflush(out_);
}

void ProgressView::Result(const QString& text) {
    ClearBar();
    std::fprintf(out_, "%s\n", text.toUtf8().constData());
    std::fflush(out_);
}

void ProgressView::Warning(const QString& text) {
    ClearBar();
    std::fflush(out_);
    std::fprintf(stderr, "zorv-get: warning: %s\n", text.toUtf8().constData());
    std::fflush(stderr);
}
