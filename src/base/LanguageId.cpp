// The table from Qt's locales to Windows language identifiers: the language
// lookup file is keyed by these numbers, as on Windows.

#include "base/Localization.h"

namespace {
// A Windows language identifier is (sub-language << 10) | primary language.
constexpr quint16 MakeLangId(quint16 primary, quint16 sub) {
    return quint16((sub << 10) | primary);
}

struct LanguageRow {
    QLocale::Language language;
    quint16 primary;
};

// Primary language numbers; sub-language 1 is each language's default.
constexpr LanguageRow kLanguages[] = {
    {QLocale::Arabic, 0x01},
    {QLocale::Bulgarian, 0x02},
    {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},
    {QLocale::Czech, 0x05},
    {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},
    {QLocale::Greek, 0x08},
    {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0A},
    {QLocale::Finnish, 0x0B},
    {QLocale::French, 0x0C},
    {QLocale::Hebrew, 0x0D},
    {QLocale::Hungarian, 0x0E},
    {QLocale::Icelandic, 0x0F},
    {QLocale::Italian, 0x10},
    {QLocale::Japanese, 0x11},
    {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},
    {QLocale::NorwegianBokmal, 0x14},
    {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16},
    {QLocale::Romanian, 0x18},
    {QLocale::Russian, 0x19},
    {QLocale::Croatian, 0x1A},
    {QLocale::Slovak, 0x1B},
    {QLocale::Albanian, 0x1C},
    {QLocale::Swedish, 0x1D},
    {QLocale::Thai, 0x1E},
    {QLocale::Turkish, 0x1F},
    {QLocale::Urdu, 0x20},
    {QLocale::Indonesian, 0x21},
    {QLocale::Ukrainian, 0x22},
    {QLocale::Belarusian, 0x23},
    {QLocale::Slovenian, 0x24},
    {QLocale::Estonian, 0x25},
    {QLocale::Latvian, 0x26},
    {QLocale::Lithuanian, 0x27},
    {QLocale::Persian, 0x29},
    {QLocale::Vietnamese, 0x2A},
    {QLocale::Armenian, 0x2B},
    {QLocale::Basque, 0x2D},
    {QLocale::Macedonian, 0x2F},
    {QLocale::Afrikaans, 0x36},
    {QLocale::Georgian, 0x37},
    {QLocale::Hindi, 0x39},
    {QLocale::Malay, 0x3E},
    {QLocale::Kazakh, 0x3F},
    {QLocale::Swahili, 0x41},
    {QLocale::Bengali, 0x45},
    {QLocale::Tamil, 0x49},
    {QLocale::Marathi, 0x4E},
    {QLocale::Galician, 0x56},
    {QLocale::Filipino, 0x64},
    {QLocale::NorwegianNynorsk, 0x14},
};

struct RegionRow {
    QLocale::Language language;
    QLocale::Territory territory;
    quint16 langId;
};

// Regional variants whose sub-language is not the default one.
constexpr RegionRow kRegions[] = {
    {QLocale::English, QLocale::UnitedKingdom, 0x0809}, {QLocale::English, QLocale::Australia, 0x0C09},
    {QLocale::English, QLocale::Canada, 0x1009},        {QLocale::English, QLocale::NewZealand, 0x1409},
    {QLocale::English, QLocale::Ireland, 0x1809},       {QLocale::English, QLocale::SouthAfrica, 0x1C09},
    {QLocale::English, QLocale::India, 0x4009},         {QLocale::English, QLocale::Singapore, 0x4809},
    {QLocale::German, QLocale::Switzerland, 0x0807},    {QLocale::German, QLocale::Austria, 0x0C07},
    {QLocale::German, QLocale::Luxembourg, 0x1007},     {QLocale::German, QLocale::Liechtenstein, 0x1407},
    {QLocale::French, QLocale::Belgium, 0x080C},        {QLocale::French, QLocale::Canada, 0x0C0C},
    {QLocale::French, QLocale::Switzerland, 0x100C},    {QLocale::French, QLocale::Luxembourg, 0x140C},
    {QLocale::Spanish, QLocale::Spain, 0x0C0A},         {QLocale::Spanish, QLocale::Mexico, 0x080A},
    {QLocale::Spanish, QLocale::Argentina, 0x2C0A},     {QLocale::Spanish, QLocale::Chile, 0x340A},
    {QLocale::Spanish, QLocale::Colombia, 0x240A},      {QLocale::Spanish, QLocale::UnitedStates, 0x540A},
    {QLocale::Chinese, QLocale::Taiwan, 0x0404},        {QLocale::Chinese, QLocale::China, 0x0804},
    {QLocale::Chinese, QLocale::HongKong, 0x0C04},      {QLocale::Chinese, QLocale::Singapore, 0x1004},
    {QLocale::Chinese, QLocale::Macao, 0x1404},         {QLocale::Portuguese, QLocale::Portugal, 0x0816},
    {QLocale::Dutch, QLocale::Belgium, 0x0813},         {QLocale::Italian, QLocale::Switzerland, 0x0810},
    {QLocale::Swedish, QLocale::Finland, 0x081D},       {QLocale::Arabic, QLocale::Egypt, 0x0C01},
    {QLocale::Serbian, QLocale::Serbia, 0x241A},        {QLocale::NorwegianNynorsk, QLocale::Norway, 0x0814},
};
} // namespace

quint16 LanguageIdForLocale(const QLocale& locale) {
    const QLocale::Language language = locale.language();
    // The C locale is the untranslated program: English.
    if (language == QLocale::C)
        return MakeLangId(0x09, 0x01);
    // Simplified Chinese without a territory is mainland Chinese, traditional is Taiwan's.
    if (language == QLocale::Chinese && locale.territory() == QLocale::AnyTerritory)
        return locale.script() == QLocale::TraditionalChineseScript ? 0x0404 : 0x0804;
    for (const RegionRow& row : kRegions) {
        if (row.language == language && row.territory == locale.territory())
            return row.langId;
    }
    for (const LanguageRow& row : kLanguages) {
        if (row.language == language)
            return MakeLangId(row.primary, 0x01);
    }
    return 0;
}
