#include "mediatools/MPlayerText.h"

#include <charconv>
#include <climits>

namespace {

bool IsKeyAt(const QString& text, const QString& key, qsizetype pos) {
    const bool lineStart =
        pos == 0 || text[pos - 1] == QLatin1Char('\n') || text[pos - 1] == QLatin1Char('\r');
    const qsizetype eq = pos + key.size();
    return lineStart && eq < text.size() && text[eq] == QLatin1Char('=');
}

// Reads the value of the key found at `pos`; -1 when its line is unfinished.
int ReadValueAt(const QString& text, const QString& key, qsizetype pos, QString* value) {
    const qsizetype eq = pos + key.size();
    const qsizetype lf = text.indexOf(QLatin1Char('\n'), eq);
    if (lf < 0)
        return -1;
    qsizetype end = lf;
    if (end > eq + 1 && text[end - 1] == QLatin1Char('\r'))
        --end;
    if (value)
        *value = text.mid(eq + 1, end - eq - 1);
    return static_cast<int>(eq);
}

QByteArray LeadingNumberBytes(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('+'))
        ++i; // from_chars takes no plus sign
    qsizetype end = i;
    while (end < text.size() && end - i < 64 && text[end].unicode() < 128)
        ++end;
    return text.mid(i, end - i).toLatin1();
}

} // namespace

int FindLastValue(const QString& text, const QString& key, QString* value) {
    if (text.isEmpty() || key.isEmpty())
        return -1;
    for (qsizetype pos = text.lastIndexOf(key); pos >= 0;
         pos = pos > 0 ? text.lastIndexOf(key, pos - 1) : -1) {
        if (IsKeyAt(text, key, pos))
            return ReadValueAt(text, key, pos, value);
    }
    return -1;
}

int FindValueFrom(const QString& text, const QString& key, int from, QString* value) {
    if (text.isEmpty() || key.isEmpty() || from < 0)
        return -1;
    for (qsizetype pos = text.indexOf(key, from); pos >= 0; pos = text.indexOf(key, pos + 1)) {
        if (IsKeyAt(text, key, pos))
            return ReadValueAt(text, key, pos, value);
    }
    return -1;
}

QStringList FindAllValues(const QString& text, const QString& key) {
    QStringList values;
    QString value;
    for (int eq = FindValueFrom(text, key, 0, &value); eq >= 0; eq = FindValueFrom(text, key, eq, &value))
        values << value;
    return values;
}

QHash<QString, QString> FindValuesByInfix(const QString& text, const QString& prefix, const QString& suffix) {
    QHash<QString, QString> values;
    const QString tail = suffix + QLatin1Char('=');
    qsizetype lf = 0; // the line feed ending the current value: searched forward only
    for (qsizetype pos = text.indexOf(prefix); pos >= 0; pos = text.indexOf(prefix, pos + 1)) {
        if (pos > 0 && text[pos - 1] != QLatin1Char('\n') && text[pos - 1] != QLatin1Char('\r'))
            continue;
        qsizetype lineEnd = pos + prefix.size();
        while (lineEnd < text.size() && text[lineEnd] != QLatin1Char('\n') &&
               text[lineEnd] != QLatin1Char('\r'))
            ++lineEnd;
        const QStringView line = QStringView(text).mid(pos, lineEnd - pos);
        pos = lineEnd - 1;
        const qsizetype at = line.indexOf(tail, prefix.size());
        if (at < 0)
            continue;
        const qsizetype eq = (line.data() - text.data()) + at + suffix.size();
        if (lf <= eq && (lf = text.indexOf(QLatin1Char('\n'), eq)) < 0)
            break; // the rest is one unfinished line
        qsizetype end = lf;
        if (end > eq + 1 && text[end - 1] == QLatin1Char('\r'))
            --end;
        QString infix = line.mid(prefix.size(), at - prefix.size()).toString();
        if (!values.contains(infix))
            values.insert(std::move(infix), text.mid(eq + 1, end - eq - 1));
    }
    return values;
}

int LeadingInt(QStringView text) {
    const QByteArray bytes = LeadingNumberBytes(text);
    long long number = 0;
    const auto result = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), number);
    if (result.ec == std::errc::result_out_of_range)
        return bytes.startsWith('-') ? INT_MIN : INT_MAX;
    if (result.ec != std::errc())
        return 0;
    return number > INT_MAX ? INT_MAX : number < INT_MIN ? INT_MIN : static_cast<int>(number);
}

double LeadingDouble(QStringView text) {
    const QByteArray bytes = LeadingNumberBytes(text);
    double number = 0;
    const auto result = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), number,
                                        std::chars_format::general);
    return result.ec == std::errc() ? number : 0.0;
}
