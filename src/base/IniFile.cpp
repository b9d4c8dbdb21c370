#include "base/IniFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <climits>

IniFile::IniFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.read(kMaxFileBytes);
    if (file.error() != QFileDevice::NoError)
        return;
    loaded_ = true;
    Parse(DecodeText(bytes));
}

IniFile IniFile::FromBytes(const QByteArray& bytes) {
    IniFile ini;
    ini.loaded_ = true;
    ini.Parse(DecodeText(bytes.left(kMaxFileBytes)));
    return ini;
}

QString IniFile::DecodeText(const QByteArray& bytes) {
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    qsizetype skip = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        skip = 3;
    } else if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        skip = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        skip = 2;
    }
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes).sliced(skip));
}

namespace {
QString Unquote(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}
} // namespace

void IniFile::Parse(const QString& text) {
    Section* current = nullptr;
    // CR LF, LF and a lone CR all end a line.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n?|\n"));
    const QStringList lines = text.split(lineEnd);
    for (const QString& raw : lines) {
        const QStringView line = QStringView(raw).trimmed();
        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.front() == QLatin1Char('[')) {
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            if (close > 0) {
                sections_.push_back({line.sliced(1, close - 1).trimmed().toString(), {}});
                current = &sections_.back();
                continue;
            }
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!current || equals < 0)
            continue;
        const QString key = line.first(equals).trimmed().toString();
        if (key.isEmpty())
            continue;
        current->entries.push_back({key, Unquote(line.sliced(equals + 1).trimmed().toString())});
    }
}

const IniFile::Section* IniFile::FindSection(const QString& name) const {
    for (const Section& section : sections_) {
        if (section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const {
    const Section* found = FindSection(section);
    if (!found)
        return std::nullopt;
    for (const Entry& entry : found->entries) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return entry.value.left(kMaxValueLength);
    }
    return std::nullopt;
}

QString IniFile::GetString(const QString& section, const QString& key, const QString& defaultValue) const {
    return Value(section, key).value_or(defaultValue.left(kMaxValueLength));
}

int IniFile::GetInt(const QString& section, const QString& key, int defaultValue) const {
    const std::optional<QString> value = Value(section, key);
    if (!value || value->isEmpty())
        return defaultValue;
    return LeadingInt(*value);
}

int IniFile::LeadingInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    // Accumulate past the int range only far enough to know it must be clamped.
    qint64 magnitude = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        magnitude = magnitude * 10 + (text[i].unicode() - '0');
        if (magnitude > qint64(INT_MAX) + 1)
            magnitude = qint64(INT_MAX) + 1;
    }
    if (negative)
        return int(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : int(magnitude);
}

QStringList IniFile::Sections() const {
    QStringList names;
    for (const Section& section : sections_) {
        if (!names.contains(section.name, Qt::CaseInsensitive))
            names.append(section.name);
    }
    return names;
}

QStringList IniFile::Keys(const QString& section) const {
    QStringList keys;
    if (const Section* found = FindSection(section)) {
        for (const Entry& entry : found->entries) {
            if (!keys.contains(entry.key, Qt::CaseInsensitive))
                keys.append(entry.key);
        }
    }
    return keys;
}

QString IniFile::ReadString(const QString& path, const QString& section, const QString& key,
                            const QString& defaultValue) {
    return IniFile(path).GetString(section, key, defaultValue);
}

int IniFile::ReadInt(const QString& path, const QString& section, const QString& key, int defaultValue) {
    return IniFile(path).GetInt(section, key, defaultValue);
}
