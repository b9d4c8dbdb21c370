#pragma once
// A reader for Windows-style INI files (language files, the language lookup
// file, the published version file) with the rules of the Windows profile
// functions, so files written for the Windows program read the same here:
//
// - section and key names are compared case-insensitively;
// - when a section name appears twice only the first section is searched,
//   and within it the first line with a matching key wins;
// - names and values are trimmed of white space; a value enclosed in a
//   matching pair of double or single quotes loses the quotes;
// - values are cut to 1023 characters (the profile functions' buffer);
// - lines starting with ";" and lines without "=" carry no key;
// - text is UTF-8 with or without a byte-order mark, or UTF-16 (little or
//   big endian) with a byte-order mark.
//
// An IniFile reads the whole file once, when it is constructed, and never
// looks at it again: callers that must see edits made while the program runs
// make a new IniFile for every lookup.
//
// Threads: an IniFile is a plain value; distinct objects may be used on
// distinct threads at the same time.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class IniFile {
  public:
    // Longest value handed out; longer values are cut.
    static constexpr int kMaxValueLength = 1023;
    // Only the first part of a larger file is read: INI files are small, and
    // the version file comes from the network.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

    IniFile() = default;
    // Reads the file at `path`; a missing or unreadable file gives an empty
    // IniFile (every lookup returns its default).
    explicit IniFile(const QString& path);
    static IniFile FromBytes(const QByteArray& bytes);

    // True when the file could be opened and read.
    bool IsLoaded() const { return loaded_; }

    // The value of `key` in `section`, or nullopt when there is no such key.
    // An existing key with an empty value gives an empty text.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // The value, or `defaultValue` when the key is missing.
    QString GetString(const QString& section, const QString& key,
                      const QString& defaultValue = QString()) const;
    // The integer at the start of the value (optional white space and sign,
    // then decimal digits; 0 when there are none; clamped to the int range),
    // or `defaultValue` when the key is missing or its value empty.
    int GetInt(const QString& section, const QString& key, int defaultValue) const;

    // Section names in file order, each once (the first spelling).
    QStringList Sections() const;
    // The key names of `section` in file order, each once.
    QStringList Keys(const QString& section) const;

    // Convenience for one-shot lookups: reads `path` afresh.
    static QString ReadString(const QString& path, const QString& section, const QString& key,
                              const QString& defaultValue = QString());
    static int ReadInt(const QString& path, const QString& section, const QString& key, int defaultValue);

    // Decodes INI bytes to text by their byte-order mark (UTF-8 without one).
    static QString DecodeText(const QByteArray& bytes);
    // The integer rule of GetInt applied to a text.
    static int LeadingInt(const QString& text);

  private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };

    void Parse(const QString& text);
    const Section* FindSection(const QString& name) const;

    std::vector<Section> sections_;
    bool loaded_ = false;
};
