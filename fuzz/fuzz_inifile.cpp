// INI files: language files and the version file published on the network.
//
// Input: the file's bytes (any encoding with or without a byte-order mark).

#include "FuzzInput.h"
#include "base/IniFile.h"

#include <climits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const IniFile ini = IniFile::FromBytes(bytes);
    FUZZ_CHECK(ini.IsLoaded());

    const QStringList sections = ini.Sections();
    for (const QString& section : sections) {
        const QStringList keys = ini.Keys(section);
        for (const QString& key : keys) {
            const std::optional<QString> value = ini.Value(section, key);
            FUZZ_CHECK(value.has_value());
            FUZZ_CHECK(value->size() <= IniFile::kMaxValueLength);
            FUZZ_CHECK(ini.GetString(section, key, QStringLiteral("x")) == *value);
            const int number = ini.GetInt(section, key, INT_MIN + 7);
            if (value->isEmpty())
                FUZZ_CHECK(number == INT_MIN + 7);
            // Names compare without regard to case.
            FUZZ_CHECK(ini.Value(section.toUpper(), key.toLower()).has_value() ||
                       section.toUpper().compare(section, Qt::CaseInsensitive) != 0 ||
                       key.toLower().compare(key, Qt::CaseInsensitive) != 0);
        }
    }
    FUZZ_CHECK(ini.GetString(QStringLiteral("\x01missing"), QStringLiteral("k"), QStringLiteral("d")) ==
               QStringLiteral("d"));
    (void)ini.GetInt(QStringLiteral("Version"), QStringLiteral("Major"), -1);
    (void)IniFile::LeadingInt(IniFile::DecodeText(bytes.left(64)));
    return 0;
}
