#include "cli/CliText.h"

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

QString DownloadedLine(const QString& path, const QString& duration, const MediaInfo& info) {
    // One pass over the pattern: a "%1" in the path stays as it is.
    return QStringLiteral("%1  %2 %3 %4x%5 %6 fps")
        .arg(Printable(path), duration, Printable(info.videoFormat), QString::number(info.width),
             QString::number(info.height), QString::number(info.fps, 'f', 0));
}
