#include "retrieval/TextUtil.h"

#include "platform/ParseUrl.h"

#include <QUrl>

#include <cctype>

namespace {
int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Reads the leading hex digits of `digits`; none gives 0.
uint LeadingHex(QStringView digits) {
    uint value = 0;
    for (QChar c : digits) {
        int v = HexValue(c);
        if (v < 0)
            break;
        value = value * 16 + static_cast<uint>(v);
    }
    return value;
}

void AppendCode(QString& out, uint code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code > 0xFFFF) {
        const char32_t c = code;
        out += QString::fromUcs4(&c, 1);
    } else {
        out += QChar(static_cast<char16_t>(code));
    }
}

QString CutAtNul(QString text) {
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}
} // namespace

QString DecodeEntity(const QString& entity) {
    if (!entity.startsWith(QLatin1Char('&')) || !entity.endsWith(QLatin1Char(';')) || entity.size() < 2)
        return entity;
    if (entity == QLatin1String("&nbsp;"))
        return QStringLiteral(" ");
    if (entity == QLatin1String("&lt;"))
        return QStringLiteral("<");
    if (entity == QLatin1String("&gt;"))
        return QStringLiteral(">");
    if (entity == QLatin1String("&amp;"))
        return QStringLiteral("&");
    if (entity == QLatin1String("&quot;"))
        return QStringLiteral("\"");
    if (entity.size() > 1 && entity.at(1) == QLatin1Char('#')) {
        // "&#N;" decimal, "&#xH;" hexadecimal, each from its leading digits.
        // A code no character has (0 among them: it would end the title
        // wherever the text goes next) stands as the replacement character.
        const bool hex =
            entity.size() > 2 && (entity.at(2) == QLatin1Char('x') || entity.at(2) == QLatin1Char('X'));
        const QStringView rest = QStringView(entity).mid(hex ? 3 : 2);
        qsizetype digits = 0;
        while (digits < rest.size() && rest.at(digits).unicode() < 128 &&
               (hex ? std::isxdigit(rest.at(digits).unicode()) : std::isdigit(rest.at(digits).unicode())))
            ++digits;
        bool ok = false;
        uint code = rest.left(digits).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0)
            code = 0xFFFD;
        QString out;
        AppendCode(out, code);
        return out;
    }
    return QString();
}

QString DecodeEntities(const QString& text) {
    qsizetype amp = text.indexOf(QLatin1Char('&'));
    // A raw NUL ends the text too, not only a decoded "&#0;": otherwise a
    // title without entities would keep it and carry it into a file name.
    if (amp < 0)
        return CutAtNul(text);
    QString result = text.left(amp);
    qsizetype i = amp;
    while (i < text.size()) {
        if (text.at(i) != QLatin1Char('&')) {
            result += text.at(i++);
            continue;
        }
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (semi < 0) {
            result += text.mid(i);
            break;
        }
        result += DecodeEntity(text.mid(i, semi - i + 1));
        i = semi + 1;
    }
    return CutAtNul(result);
}

QByteArray PercentDecode(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size()) {
            const int hi = HexValue(QLatin1Char(bytes[i + 1]));
            const int lo = HexValue(QLatin1Char(bytes[i + 2]));
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += bytes[i];
    }
    return out;
}

QString UnescapeStreamUrl(const QString& text) {
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('%')) {
            if (i + 2 >= n)
                break; // cut short by the end of the text
            AppendCode(out, LeadingHex(QStringView(text).mid(i + 1, 2)));
            i += 3;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 >= n)
                break;
            if (text.at(i + 1) == QLatin1Char('u')) {
                if (i + 5 >= n)
                    break;
                AppendCode(out, LeadingHex(QStringView(text).mid(i + 2, 4)));
                i += 6;
            } else {
                out += text.at(i + 1);
                i += 2;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return CutAtNul(out);
}

QString DecodeUrl(const QString& address) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(address.toUtf8()));
}

QString MakeAbsoluteUrl(const QString& location, const QString& baseAddress) {
    if (ParseUrl(location))
        return location;
    if (auto base = ParseUrl(baseAddress))
        return QStringLiteral("http://") + base->server + location;
    return location;
}

std::optional<QString> GetQueryValue(const QString& text, const QString& key) {
    const qsizetype at = text.indexOf(key);
    if (at <= 0)
        return std::nullopt;
    const qsizetype start = at + key.size();
    const qsizetype amp = text.indexOf(QLatin1Char('&'), start);
    if (amp < 0)
        return text.mid(start);
    if (amp == start)
        return std::nullopt;
    return text.mid(start, amp - start);
}

QStringList SplitText(const QString& text, QChar separator) {
    QStringList pieces = text.split(separator, Qt::KeepEmptyParts);
    for (QString& piece : pieces)
        piece = piece.trimmed();
    return pieces;
}

void SanitizeFileName(QString& text, QChar replacement) {
    static const QString kBad = QStringLiteral(":/\\*?\"<>|");
    for (QChar& c : text)
        if (kBad.contains(c))
            c = replacement;
}

QString JoinPath(const QString& folder, const QString& name) {
    qsizetype end = folder.size();
    while (end > 0 && folder.at(end - 1).isSpace())
        --end;
    while (end > 0 && (folder.at(end - 1) == QLatin1Char('/') || folder.at(end - 1) == QLatin1Char('\\')))
        --end;
    return folder.left(end) + QLatin1Char('/') + name;
}

QString CutToUtf8Bytes(const QString& text, int maxBytes) {
    if (maxBytes <= 0)
        return QString();
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const uint code = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        const int width = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        i += pair ? 2 : 1;
    }
    return text.left(i);
}

QString FormValue(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}
