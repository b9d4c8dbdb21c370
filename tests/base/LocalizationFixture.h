#pragma once
// Language lookups read a temporary language folder; the current language
// starts as "en" and the system language as US English in every test.

#include "base/Localization.h"

#include "support/TempDirTest.h"

class LocalizationTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        SetLanguageFolder(Path("lang"));
        SetSystemLanguageIdOverride(0x0409);
        SelectLanguage("en");
    }
    void TearDown() override {
        SelectLanguage("en");
        SetLanguageFolder(QString());
        SetSystemLanguageIdOverride(std::nullopt);
        TempDirTest::TearDown();
    }
    QString WriteLanguage(const QString& code, const QByteArray& body) {
        return WriteFile("lang/lang_" + code + ".ini", body);
    }
};
