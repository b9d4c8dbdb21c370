#include "base/InterfaceFonts.h"

#include "base/Localization.h"
#include "base/TextIds.h"

#include <QRegularExpression>
#include <QStringList>

namespace {
QString ChooseFont(int textId, const FontAvailable& isInstalled) {
    static const QString fallback = QStringLiteral("Arial");
    const QString text = LoadText(textId);
    if (text.isEmpty() || !isInstalled)
        return fallback;
    for (const QString& piece : text.split(QLatin1Char(','))) {
        const QString candidate = piece.trimmed();
        if (isInstalled(candidate))
            return candidate;
    }
    return fallback;
}
} // namespace

double LeadingDouble(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const double value = match.captured().trimmed().toDouble(&ok); // "C" locale: "." is the point
    return ok ? value : 0;
}

InterfaceFonts ChooseInterfaceFonts(const FontAvailable& isInstalled) {
    InterfaceFonts fonts;
    fonts.uiFontName = ChooseFont(TextId::UiFont, isInstalled);
    fonts.uiFontNameAlt = ChooseFont(TextId::UiFontAlt, isInstalled);
    fonts.uiFontScale = LeadingDouble(LoadText(TextId::UiFontScale));
    return fonts;
}
