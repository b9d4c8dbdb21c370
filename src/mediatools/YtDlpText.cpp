#include "mediatools/YtDlpText.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {
// "NA" (and anything else that is not a number) reads as unknown.
double Number(QStringView field) {
    bool ok = false;
    const double value = field.toDouble(&ok);
    return ok && std::isfinite(value) && value > 0 ? value : 0;
}
} // namespace

std::optional<YtDlpProgress> ParseYtDlpProgress(QStringView line) {
    const QLatin1StringView prefix(kYtDlpProgressPrefix);
    if (!line.startsWith(prefix))
        return std::nullopt;
    const QList<QStringView> fields = line.mid(prefix.size()).split(u' ', Qt::SkipEmptyParts);
    if (fields.size() != 5)
        return std::nullopt;
    YtDlpProgress p;
    p.finished = fields[0] == u"finished";
    // Counts above 2^53 bytes do not occur; the cast is range-checked anyway.
    const auto bytes = [](double v) { return v < 9e15 ? static_cast<qint64>(v) : qint64(9e15); };
    p.received = bytes(Number(fields[1]));
    const double total = Number(fields[2]);
    p.total = bytes(total > 0 ? total : Number(fields[3]));
    p.speed = Number(fields[4]);
    if (p.total > 0)
        p.perMille = static_cast<int>(std::clamp<qint64>(p.received * 1000 / p.total, 0, 1000));
    return p;
}

std::optional<YtDlpVideoInfo> ParseYtDlpVideoInfo(QStringView line) {
    const QLatin1StringView prefix(kYtDlpInfoPrefix);
    if (!line.startsWith(prefix))
        return std::nullopt;
    QStringView rest = line.mid(prefix.size());
    QStringView fields[5];
    for (QStringView& field : fields) {
        const qsizetype space = rest.indexOf(u' ');
        if (space < 0)
            return std::nullopt;
        field = rest.left(space);
        rest = rest.mid(space + 1);
    }
    const auto known = [](QStringView v) { return v == u"NA" ? QString() : v.toString(); };
    const auto count = [](QStringView v) {
        bool ok = false;
        const int n = v.toInt(&ok);
        return ok && n > 0 ? n : 0;
    };
    YtDlpVideoInfo info;
    info.site = known(fields[0]);
    info.pageEntries = count(fields[1]);
    info.pageIndex = count(fields[2]);
    info.ext = known(fields[3]);
    info.id = known(fields[4]);
    info.title = known(rest);
    return info;
}

QString CleanYtDlpError(QStringView line) {
    QStringView text = line.trimmed();
    if (text.startsWith(u"ERROR:"))
        text = text.mid(6).trimmed();
    // The upstream bug-report request says nothing to this program's users.
    const qsizetype report = text.indexOf(u"; please report this issue");
    if (report >= 0)
        text = text.left(report);
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (out.size() > kMaxErrorChars)
        out = out.left(kMaxErrorChars - 3) + QStringLiteral("...");
    return out;
}

YtDlpErrorKind ClassifyYtDlpError(QStringView text, bool siteSetCookies) {
    static const QStringList signIn{
        QStringLiteral("sign in to confirm"),
        QStringLiteral("confirm your age"),
        QStringLiteral("login required"),
        QStringLiteral("not a bot"),
        QStringLiteral("only available for registered users"),
        QStringLiteral("use --cookies"),
        QStringLiteral("HTTP Error 401"),
    };
    for (const QString& needle : signIn) {
        if (text.contains(needle, Qt::CaseInsensitive))
            return YtDlpErrorKind::SignInNeeded;
    }
    if (siteSetCookies && text.contains(u"HTTP Error 403"))
        return YtDlpErrorKind::SignInNeeded;
    if (text.contains(u"Unsupported URL", Qt::CaseInsensitive))
        return YtDlpErrorKind::Unsupported;
    return YtDlpErrorKind::Other;
}
