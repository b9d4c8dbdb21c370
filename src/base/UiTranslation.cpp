#include "base/UiTranslation.h"

#include "base/IniFile.h"
#include "base/Localization.h"

#include <optional>

namespace {
IniFile CurrentFile() {
    const QString path = LanguageFilePath(CurrentLanguage());
    return path.isEmpty() ? IniFile() : IniFile(path);
}

std::optional<QString> Lookup(const IniFile& file, const QString& section, const QString& key) {
    std::optional<QString> value = file.Value(section, key);
    if (value && value->isEmpty())
        return std::nullopt; // an empty value counts as missing
    return value;
}

void TranslateMenuWith(const IniFile& file, std::vector<MenuEntry>& menu, bool isMenuBar) {
    const QString section = QStringLiteral("MENU");
    for (size_t p = 0; p < menu.size(); ++p) {
        MenuEntry& entry = menu[p];
        std::optional<QString> text;
        if (entry.kind == MenuEntry::Popup) {
            if (isMenuBar)
                text = Lookup(file, section, QStringLiteral("item_%1").arg(p + 1));
        } else if (entry.kind == MenuEntry::Command && entry.id > 0) {
            text = Lookup(file, section, QString::number(entry.id));
        }
        if (text) {
            entry.text = ApplyEscapes(*text, true);
            entry.changed = true;
        }
        if (!entry.submenu.empty())
            TranslateMenuWith(file, entry.submenu, false);
    }
}
} // namespace

void TranslateDialog(DialogTexts& dialog, int idd) {
    // One read of the file serves the whole dialog.
    const IniFile file = CurrentFile();
    if (idd == 0) {
        for (DialogControl& control : dialog.controls) {
            const std::optional<QString> text = Lookup(file, QStringLiteral("DICTIONARY"), control.text);
            if (text && *text != control.text) {
                control.text = *text;
                control.changed = true;
            }
        }
        return;
    }
    const QString section = QStringLiteral("DIALOG_IDD_%1").arg(idd);
    for (DialogControl& control : dialog.controls) {
        if (control.ctrlId <= 0)
            continue;
        if (const std::optional<QString> text = Lookup(file, section, QString::number(control.ctrlId))) {
            control.text = ApplyEscapes(*text, false);
            control.changed = true;
        }
    }
    if (const std::optional<QString> title = Lookup(file, section, QStringLiteral("title"))) {
        dialog.caption = ApplyEscapes(*title, true);
        dialog.captionChanged = true;
    }
}

void TranslateMenu(std::vector<MenuEntry>& menu, bool isMenuBar) {
    TranslateMenuWith(CurrentFile(), menu, isMenuBar);
}
