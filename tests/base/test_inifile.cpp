#include "base/IniFile.h"

#include "support/TempDirTest.h"

#include <QStringEncoder>

class IniFileTest : public TempDirTest {};

TEST_F(IniFileTest, NamesAreCaseInsensitiveAndTheFirstMatchWins) {
    const IniFile ini = IniFile::FromBytes("[General]\r\n"
                                           "  Language =  Deutsch  \r\n"
                                           "LANGUAGE=second\r\n"
                                           "; language=comment\r\n"
                                           "no equals sign here\r\n"
                                           "quoted=\"  padded  \"\r\n"
                                           "single='x'\r\n"
                                           "lonely=\"\r\n"
                                           "empty=\r\n"
                                           "[general]\r\n"
                                           "language=from the second section\r\n"
                                           "other=only in the second section\r\n");
    EXPECT_EQ(ini.GetString("GENERAL", "language"), "Deutsch");
    EXPECT_EQ(ini.GetString("general", "QUOTED"), "  padded  ");
    EXPECT_EQ(ini.GetString("General", "single"), "x");
    EXPECT_EQ(ini.GetString("General", "lonely"), "\"");
    // A key that exists with an empty value is not missing.
    EXPECT_EQ(ini.Value("General", "empty"), QString(""));
    EXPECT_EQ(ini.GetString("General", "empty", "default"), "");
    // Only the first of two same-named sections is searched.
    EXPECT_EQ(ini.Value("General", "other"), std::nullopt);
    EXPECT_EQ(ini.GetString("General", "; language", "none"), "none");
    EXPECT_EQ(ini.GetString("Missing", "language", "fallback"), "fallback");
    EXPECT_EQ(ini.Sections(), QStringList({"General"}));
    EXPECT_EQ(ini.Keys("GENERAL"), QStringList({"Language", "quoted", "single", "lonely", "empty"}));
}

TEST_F(IniFileTest, ValuesAreCutTo1023Characters) {
    const QByteArray longValue(2000, 'v');
    const IniFile ini = IniFile::FromBytes("[S]\nk=" + longValue + "\n");
    EXPECT_EQ(ini.GetString("S", "k"), QString(1023, 'v'));
    EXPECT_EQ(ini.GetString("S", "missing", QString(1500, 'd')), QString(1023, 'd'));
}

TEST_F(IniFileTest, IntegersComeFromLeadingDigits) {
    const IniFile ini = IniFile::FromBytes("[Gerneral]\n"
                                           "major_version=1\n"
                                           "minor_version=12abc\n"
                                           "build= -7 \n"
                                           "text=abc\n"
                                           "empty=\n"
                                           "huge=99999999999999999999\n"
                                           "tiny=-99999999999999999999\n");
    EXPECT_EQ(ini.GetInt("gerneral", "major_version", 5), 1);
    EXPECT_EQ(ini.GetInt("Gerneral", "minor_version", 5), 12);
    EXPECT_EQ(ini.GetInt("Gerneral", "build", 5), -7);
    EXPECT_EQ(ini.GetInt("Gerneral", "text", 5), 0);
    EXPECT_EQ(ini.GetInt("Gerneral", "empty", 5), 5);
    EXPECT_EQ(ini.GetInt("Gerneral", "missing", 5), 5);
    EXPECT_EQ(ini.GetInt("Gerneral", "huge", 5), INT_MAX);
    EXPECT_EQ(ini.GetInt("Gerneral", "tiny", 5), INT_MIN);
    // The section is spelled as the version file spells it: "General" is another section.
    EXPECT_EQ(ini.GetInt("General", "major_version", 0), 0);
}

TEST_F(IniFileTest, ReadsEveryEncodingByItsByteOrderMark) {
    const QString text = QString::fromUtf8(
        "[LANGUAGE]\r\n0x0411=ja\r\n[General]\r\nlanguage=\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\n");
    const QByteArray utf8 = text.toUtf8();
    QStringEncoder toLE(QStringConverter::Utf16LE);
    QStringEncoder toBE(QStringConverter::Utf16BE);
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"utf8.ini", utf8},
        {"utf8bom.ini", "\xEF\xBB\xBF" + utf8},
        {"utf16le.ini", QByteArray("\xFF\xFE") + QByteArray(toLE(text))},
        {"utf16be.ini", QByteArray("\xFE\xFF") + QByteArray(toBE(text))},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const IniFile ini(WriteFile(file.name, file.bytes));
        EXPECT_TRUE(ini.IsLoaded());
        // The byte-order mark must not become part of the first section's name.
        EXPECT_EQ(ini.GetString("LANGUAGE", "0x0411"), "ja");
        EXPECT_EQ(ini.GetString("General", "language"),
                  QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"));
    }
}

TEST_F(IniFileTest, EveryLineEndIsUnderstood) {
    const IniFile ini = IniFile::FromBytes("[A]\rk=cr\r[B]\nk=lf\n[C]\r\nk=crlf");
    EXPECT_EQ(ini.GetString("A", "k"), "cr");
    EXPECT_EQ(ini.GetString("B", "k"), "lf");
    EXPECT_EQ(ini.GetString("C", "k"), "crlf");
}

TEST_F(IniFileTest, AMissingFileGivesTheDefaults) {
    const IniFile ini(Path("nothing-here.ini"));
    EXPECT_FALSE(ini.IsLoaded());
    EXPECT_EQ(ini.GetString("S", "k", "d"), "d");
    EXPECT_EQ(IniFile::ReadInt(Path("nothing-here.ini"), "S", "k", 42), 42);
    EXPECT_TRUE(ini.Sections().isEmpty());
}

TEST_F(IniFileTest, EveryLookupOfTheStaticReadersSeesTheFileAsItIsNow) {
    const QString path = WriteFile("edit.ini", "[S]\nk=before\n");
    EXPECT_EQ(IniFile::ReadString(path, "S", "k"), "before");
    WriteFile("edit.ini", "[S]\nk=after\n");
    EXPECT_EQ(IniFile::ReadString(path, "S", "k"), "after");
}
