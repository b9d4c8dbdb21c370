#include "base/LanguageMenu.h"

#include "base/AppSettings.h"
#include "base/CommandIds.h"
#include "base/IniFile.h"
#include "base/Localization.h"

#include <QDirIterator>
#include <QFileInfo>

void LanguageMenu::Build() {
    Build(LanguageFolder());
}

void LanguageMenu::Build(const QString& folder) {
    items_.clear();
    codes_.clear();
    // QDirIterator hands out entries in the file system's own order.
    QDirIterator files(folder, {QStringLiteral("lang_*.ini")}, QDir::Files | QDir::NoDotAndDotDot);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString name = IniFile(path).GetString(QStringLiteral("General"), QStringLiteral("language"));
        if (name.isEmpty())
            continue;
        const QString code = QFileInfo(path).completeBaseName().mid(5);
        items_.push_back({CommandId::FirstLanguage + int(items_.size()), name});
        codes_.append(code);
    }
}

bool LanguageMenu::IsChecked(int command, const QString& langId) const {
    if (command == CommandId::LanguageAuto)
        return langId == QLatin1String("auto");
    const int index = command - CommandId::FirstLanguage;
    return index >= 0 && index < codes_.size() && codes_[index] == langId;
}

bool LanguageMenu::OnLanguageCommand(int command, AppSettings& settings) const {
    QString code;
    if (command == CommandId::LanguageAuto) {
        code = QStringLiteral("auto");
    } else if (command >= CommandId::FirstLanguage && command <= CommandId::LastLanguage &&
               command - CommandId::FirstLanguage < codes_.size()) {
        code = codes_[command - CommandId::FirstLanguage];
    } else {
        return false;
    }
    if (code == settings.LangID)
        return false;
    settings.LangID = code;
    SelectLanguage(settings.LangID);
    return true;
}
