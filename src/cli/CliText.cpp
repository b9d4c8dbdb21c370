#include "cli/CliText.h"

#include <cstdint>
#include <cstring>

namespace {

// True when every byte is printable ASCII (0x20..0x7E), so there is no NUL
// inside either. Eight bytes at a time: the listing checks every field of
// every row.
bool IsPlainAscii(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        // A byte below 0x20, or one above 0x7E, sets its high bit here.
        if ((((w - kOnes * 0x20) & ~w) | (w + kOnes) | w) & kHighs)
            return false;
    }
    for (; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace

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

void AppendPrintable(std::string& out, std::string_view utf8) {
    if (IsPlainAscii(utf8))
        out += utf8;
    else
        out += Printable(QString::fromUtf8(utf8.data())).toStdString();
}

QString DownloadedLine(const QString& path, const QString& duration, const MediaInfo& info) {
    // One pass over the pattern: a "%1" in the path stays as it is.
    return QStringLiteral("%1  %2 %3 %4x%5 %6 fps")
        .arg(Printable(path), duration, Printable(info.videoFormat), QString::number(info.width),
             QString::number(info.height), QString::number(info.fps, 'f', 0));
}

QString AudioLine(const QString& path, const QString& duration, const MediaInfo& info) {
    return QStringLiteral("%1  %2 audio %3 %4 Hz")
        .arg(Printable(path), duration, Printable(info.audioCodec), QString::number(info.audioRate));
}
