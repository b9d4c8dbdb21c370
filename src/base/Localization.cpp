#include "base/Localization.h"

#include "base/AppFolders.h"
#include "base/IniFile.h"
#include "base/StringTable.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>

namespace {
struct LanguageState {
    std::mutex lock;
    QString folderOverride;
    std::optional<quint16> langIdOverride;
    QString current = QStringLiteral("en");
};

LanguageState& State() {
    static LanguageState state;
    return state;
}

// The current language file, read afresh.
IniFile CurrentLanguageFile() {
    const QString path = LanguageFilePath(CurrentLanguage());
    return path.isEmpty() ? IniFile() : IniFile(path);
}

std::optional<QString> NonEmpty(const std::optional<QString>& value) {
    if (value && !value->isEmpty())
        return value;
    return std::nullopt;
}
} // namespace

QString LanguageFolder() {
    LanguageState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (!state.folderOverride.isEmpty())
            return state.folderOverride;
    }
    return GetAppFolder() + QLatin1Char('/') + QLatin1String(kLanguageFolderName);
}

void SetLanguageFolder(const QString& folder) {
    LanguageState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.folderOverride = folder;
}

QString LanguageFilePath(const QString& code) {
    // The code comes from the settings store: it must not lead out of the folder.
    if (code.isEmpty() || code.contains(QLatin1Char('/')) || code.contains(QLatin1Char('\\')))
        return QString();
    return LanguageFolder() + QStringLiteral("/lang_") + code + QStringLiteral(".ini");
}

QString FormatLanguageId(quint16 langId) {
    return QString::asprintf("0x%04X", unsigned(langId));
}

quint16 SystemLanguageId() {
    {
        LanguageState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.langIdOverride)
            return *state.langIdOverride;
    }
    return LanguageIdForLocale(QLocale::system());
}

void SetSystemLanguageIdOverride(std::optional<quint16> langId) {
    LanguageState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.langIdOverride = langId;
}

std::optional<QString> LookupLanguageCode(quint16 langId) {
    const IniFile lookup(LanguageFolder() + QLatin1Char('/') + QLatin1String(kLanguageLookupFileName));
    return NonEmpty(lookup.Value(QStringLiteral("LANGUAGE"), FormatLanguageId(langId)));
}

std::optional<QString> DetectUserLanguage() {
    return LookupLanguageCode(SystemLanguageId());
}

QString SelectLanguage(const QString& langId) {
    QString code = langId;
    if (langId == QLatin1String("auto"))
        code = DetectUserLanguage().value_or(QStringLiteral("en"));
    LanguageState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.current = code;
    return code;
}

QString CurrentLanguage() {
    LanguageState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.current;
}

QString ApplyEscapes(const QString& value, bool tabs) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == QLatin1Char('n') || (tabs && next == QLatin1Char('t'))) {
                out += next == QLatin1Char('n') ? QLatin1Char('\n') : QLatin1Char('\t');
                ++i;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

QString LoadText(int id) {
    const std::optional<QString> text =
        NonEmpty(CurrentLanguageFile().Value(QStringLiteral("STRING"), QString::number(id)));
    return text ? ApplyEscapes(*text, true) : BuiltinString(id);
}

QString TranslateText(const QString& text) {
    return NonEmpty(CurrentLanguageFile().Value(QStringLiteral("DICTIONARY"), text)).value_or(text);
}

namespace {
// The file of the language folder that `section` of the current language
// file names for `id`; empty when none is named or the file is missing.
// Only files inside the language folder count.
QString LanguageFolderFile(const QString& section, int id) {
    const std::optional<QString> name = NonEmpty(CurrentLanguageFile().Value(section, QString::number(id)));
    if (!name)
        return QString();
    QString relative = *name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(relative) || QDir::cleanPath(relative).startsWith(QLatin1String("..")))
        return QString();
    const QString path = LanguageFolder() + QLatin1Char('/') + relative;
    return QFileInfo(path).isFile() ? path : QString();
}
} // namespace

LocalBitmap LoadLocalBitmap(int id) {
    LocalBitmap bitmap;
    bitmap.resourceId = id;
    bitmap.filePath = LanguageFolderFile(QStringLiteral("BITMAP"), id);
    return bitmap;
}

QString LocalPagePath(int id) {
    return LanguageFolderFile(QStringLiteral("HTML"), id);
}
