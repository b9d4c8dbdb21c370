#include "cli/CliText.h"

#include <QRegularExpression>

QString FillText(const QString& format, const QString& arg) {
    static const QRegularExpression conversion(
        QStringLiteral("%%|%[-+ #0]*\\d*(?:\\.\\d+)?(?:l|ll|h)?[sdiuxXfgc]"));
    QString out;
    bool filled = false;
    qsizetype at = 0;
    auto it = conversion.globalMatch(format);
    while (it.hasNext()) {
        const auto m = it.next();
        out += format.mid(at, m.capturedStart() - at);
        if (m.captured() == QLatin1String("%%"))
            out += QLatin1Char('%');
        else if (!filled) {
            out += arg;
            filled = true;
        }
        at = m.capturedEnd();
    }
    out += format.mid(at);
    return out;
}

QString Printable(const QString& text) {
    QString out = text; // shared until a character has to change
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t c = out.at(i).unicode();
        if (c < 0x20)
            out[i] = QChar(char16_t(0x2400 + c));
        else if (c == 0x7F)
            out[i] = QChar(char16_t(0x2421));
        else if (c >= 0x80 && c <= 0x9F)
            out[i] = QChar(char16_t(0xFFFD));
    }
    return out;
}

void AppendPrintable(std::string& out, const char* utf8) {
    if (!utf8)
        return;
    const unsigned char* end = reinterpret_cast<const unsigned char*>(utf8);
    while (*end >= 0x20 && *end < 0x7F)
        ++end;
    if (*end == '\0')
        out.append(utf8, size_t(reinterpret_cast<const char*>(end) - utf8));
    else
        out += Printable(QString::fromUtf8(utf8)).toStdString();
}

QString DownloadedLine(const QString& path, const QString& duration, const MediaInfo& info) {
    // One pass over the pattern: a "%1" in the path stays as it is.
    return QStringLiteral("%1  %2 %3 %4x%5 %6 fps")
        .arg(Printable(path), duration, Printable(info.videoFormat), QString::number(info.width),
             QString::number(info.height), QString::number(info.fps, 'f', 0));
}
