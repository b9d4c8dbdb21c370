#pragma once
// Typed access to the program's per-user settings store. On Windows the
// store is the registry branch "Software\Quillmere\Zorv YouTube Downloader";
// elsewhere it is the QSettings file of the same organisation and
// application ("$XDG_CONFIG_HOME/Quillmere/Zorv YouTube Downloader.conf").
// Sub-keys ("Setting\Output", "Setting") are QSettings groups; either "\"
// or "/" may separate their parts.
//
// DWORD values are stored as unsigned 32-bit integers and always read back
// as 32 bits, whatever text the store holds; strings are stored as strings.
// The file holds passwords: Sync() leaves it readable by its owner only.
//
// A helper serves one load or one save and closes its key when destroyed.
//
// Threads: main thread only (settings are loaded and saved there).

#include <QString>

#include <memory>

class QSettings;

class CZVRegistry {
  public:
    static constexpr const char* kCompanyKey = "Quillmere";
    static constexpr const char* kApplicationKey = "Zorv YouTube Downloader";

    explicit CZVRegistry(bool readOnly);
    ~CZVRegistry();
    CZVRegistry(const CZVRegistry&) = delete;
    CZVRegistry& operator=(const CZVRegistry&) = delete;

    // Opens an existing sub-key; 1 on success, 0 when it does not exist (the
    // root stays current).
    int Open(const QString& subKey);
    // Opens a sub-key, creating it when missing; 0 for read-only helpers and
    // when the store cannot be written.
    int Create(const QString& subKey);
    // Returns to the root.
    void Close();

    // 1 on success; 0 for read-only helpers or a store that cannot be written.
    int WriteString(const QString& name, const QString& text);
    int WriteDword(const QString& name, quint32 value);

    // 1 when the value exists; otherwise `out` gets `defaultValue` and 0 is
    // returned. An existing empty string gives an empty text and 1. A DWORD
    // value that holds no number counts as missing.
    int ReadString(const QString& name, QString& out, const QString& defaultValue);
    int ReadDword(const QString& name, quint32& out, quint32 defaultValue);
    int ReadInt(const QString& name, int& out, int defaultValue);

    // Writes pending changes to the file and restricts it to mode 0600.
    // 1 on success, 0 when the file could not be written.
    int Sync();

    // The file behind the store.
    QString FileName() const;
    // The result of the last operation (1 success, 0 failure).
    int LastResult() const { return lastResult_; }

  private:
    static QString NormalizeSubKey(const QString& subKey);
    QString ValuePath(const QString& name) const;
    void ProtectFile() const;

    std::unique_ptr<QSettings> store_;
    bool readOnly_;
    QString openedKey_; // "" while the root is current
    int lastResult_ = 1;
};
