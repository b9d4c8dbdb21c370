#include "base/WindowPlacement.h"

#include "base/CZVRegistry.h"

#include <QRegularExpression>

#include <algorithm>
#include <climits>

namespace {
const char* const kSettingKey = "Setting";
}

WindowPlacement DefaultWindowPlacement(int screenWidth, int screenHeight) {
    WindowPlacement placement;
    placement.left = std::max(0, (screenWidth - WindowPlacement::kDefaultWidth) / 2);
    placement.top = std::max(0, (screenHeight - WindowPlacement::kDefaultHeight) / 2);
    placement.right = placement.left + WindowPlacement::kDefaultWidth;
    placement.bottom = placement.top + WindowPlacement::kDefaultHeight;
    return placement;
}

std::optional<WindowPlacement> ParseWindowPos(const QString& text) {
    // Scanning rules of "%u,%u,%d,...": white space may precede a number but
    // not a comma; anything after the tenth number is ignored.
    static const QRegularExpression pattern(QStringLiteral("^\\s*([+-]?[0-9]+)") +
                                            QStringLiteral(",\\s*([+-]?[0-9]+)").repeated(9));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    qint64 values[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        values[i] = match.captured(i + 1).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    for (int i = 0; i < 2; ++i) {
        if (values[i] < INT_MIN || values[i] > UINT_MAX)
            return std::nullopt;
    }
    for (int i = 2; i < 10; ++i) {
        if (values[i] < INT_MIN || values[i] > INT_MAX)
            return std::nullopt;
    }
    WindowPlacement placement;
    // "%u" takes a negative number as its 32-bit pattern.
    placement.flags = static_cast<quint32>(values[0]);
    placement.showCmd = static_cast<quint32>(values[1]);
    placement.minX = int(values[2]);
    placement.minY = int(values[3]);
    placement.maxX = int(values[4]);
    placement.maxY = int(values[5]);
    placement.left = int(values[6]);
    placement.top = int(values[7]);
    placement.right = int(values[8]);
    placement.bottom = int(values[9]);
    return placement;
}

QString FormatWindowPos(const WindowPlacement& p) {
    return QString::asprintf("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX, p.minY, p.maxX,
                             p.maxY, p.left, p.top, p.right, p.bottom);
}

StoredWindowState LoadWindowState(int screenWidth, int screenHeight) {
    StoredWindowState state;
    CZVRegistry reg(true);
    QString text;
    if (reg.Open(QLatin1String(kSettingKey))) {
        reg.ReadString(QStringLiteral("WindowPos"), text, QString());
        reg.ReadInt(QStringLiteral("ShowMM"), state.showMM, 1);
    }
    state.placement = ParseWindowPos(text).value_or(DefaultWindowPlacement(screenWidth, screenHeight));
    return state;
}

void SaveWindowState(const StoredWindowState& state, const StoredWindowState* before) {
    CZVRegistry reg(false);
    if (!reg.Create(QLatin1String(kSettingKey)))
        return;
    QString text;
    const bool placementHeld =
        reg.ReadString(QStringLiteral("WindowPos"), text, QString()) && ParseWindowPos(text).has_value();
    if (!before || !placementHeld || state.placement != before->placement)
        reg.WriteString(QStringLiteral("WindowPos"), FormatWindowPos(state.placement));
    int showMM = 0;
    if (!before || !reg.ReadInt(QStringLiteral("ShowMM"), showMM, 0) || state.showMM != before->showMM)
        reg.WriteDword(QStringLiteral("ShowMM"), static_cast<quint32>(state.showMM));
    reg.Sync();
}
