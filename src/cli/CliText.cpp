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
