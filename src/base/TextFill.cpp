#include "base/TextFill.h"

#include <QRegularExpression>

QString FillFormat(const QString& format, const QStringList& args) {
    static const QRegularExpression conversion(
        QStringLiteral("%%|%[-+ #0]*\\d*(?:\\.\\d+)?(?:hh|h|ll|l|L|z|j|t|I64)?[diouxXeEfFgGaAcsSpn]"));
    QString out;
    qsizetype at = 0;
    qsizetype next = 0;
    auto it = conversion.globalMatch(format);
    while (it.hasNext()) {
        const auto m = it.next();
        out += format.mid(at, m.capturedStart() - at);
        if (m.captured() == QLatin1String("%%"))
            out += QLatin1Char('%');
        else if (next < args.size())
            out += args[next++];
        at = m.capturedEnd();
    }
    out += format.mid(at);
    return out;
}
