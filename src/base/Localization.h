#pragma once
// Language files: the texts of the interface in the user's language.
//
// The language folder "lang.qx.zorv" beside the executable holds
// "language_lookup.ini" (section "LANGUAGE": Windows language identifier as
// "0x%04X" -> language code) and one "lang_<code>.ini" per language with the
// sections "General" (key "language": display name), "STRING" (numbered
// texts), "DIALOG_IDD_<n>", "MENU", "BITMAP", "HTML" (pages such as the
// tips) and "DICTIONARY" (fixed English phrases). Files are read on every lookup, never cached, so an edited
// file takes effect at the next lookup. An empty value counts as missing.
//
// Threads: LoadText, TranslateText and LoadLocalBitmap may be called from
// any thread (the download worker formats its error texts with LoadText).
// SelectLanguage and the Set... functions belong to the main thread (tests
// may call them between runs); the state they change is guarded.

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

inline constexpr const char* kLanguageFolderName = "lang.qx.zorv";
inline constexpr const char* kLanguageLookupFileName = "language_lookup.ini";

// "<application folder>/lang.qx.zorv", or the folder set below.
QString LanguageFolder();
// Points every lookup at another folder; an empty text restores the default.
void SetLanguageFolder(const QString& folder);
// "<language folder>/lang_<code>.ini"; empty for a code that cannot name a
// file (empty, or holding a path separator).
QString LanguageFilePath(const QString& code);

// The Windows language identifier as "0x%04X", e.g. "0x0409".
QString FormatLanguageId(quint16 langId);
// The Windows language identifier of a locale (0x0409 for US English,
// 0x0411 for Japanese); 0 for a language the table does not know.
quint16 LanguageIdForLocale(const QLocale& locale);
// The identifier of the user's language: QLocale::system() mapped by the
// table above, unless an override is set.
quint16 SystemLanguageId();
void SetSystemLanguageIdOverride(std::optional<quint16> langId);

// The code "language_lookup.ini" gives for `langId`; nullopt when the file,
// the entry or its value is missing.
std::optional<QString> LookupLanguageCode(quint16 langId);
// LookupLanguageCode(SystemLanguageId()).
std::optional<QString> DetectUserLanguage();

// Makes `langId` the current language, or for "auto" the detected language
// ("en" when detection fails). Returns the current code.
QString SelectLanguage(const QString& langId);
// The current language code: "en" until SelectLanguage runs.
QString CurrentLanguage();

// Text `id` of the current language file (section "STRING", "\n" and "\t"
// escapes applied), else the program's built-in text (BuiltinString).
QString LoadText(int id);
// The "DICTIONARY" translation of a fixed English text, else the text.
QString TranslateText(const QString& text);

// The picture for bitmap `id`: `filePath` names the file the language file's
// "BITMAP" section gives for it (when that file exists); otherwise it is
// empty and the caller uses the program's own bitmap `resourceId`. The
// caller also falls back to the resource when the file does not load.
struct LocalBitmap {
    QString filePath;
    int resourceId = 0;
};
LocalBitmap LoadLocalBitmap(int id);
// The current language's own version of HTML page `id`: the file of the
// language folder its "HTML" section names (same rules as "BITMAP"); empty
// when there is none, and the caller shows the program's page.
QString LocalPagePath(int id);

// Replaces a backslash followed by "n" with a line break and, when `tabs`,
// a backslash followed by "t" with a tab; nothing else is unescaped.
QString ApplyEscapes(const QString& value, bool tabs);
