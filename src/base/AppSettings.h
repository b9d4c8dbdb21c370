#pragma once
// The user's settings: one object per process, loaded at start-up and saved
// when the options are confirmed and when the main window closes (only the
// values that changed). Stored
// under the sub-key "Setting\Output" of the settings store (CZVRegistry),
// each value under its field's name.
//
// Threads: only the main thread constructs, loads, saves and changes the
// fields. Other threads (download worker, site extractors, HTTP transport)
// never read the fields directly, since the main thread may replace a text
// while they read it; they call Shared(), which hands out an immutable copy
// made by the last Load(), Save() or Publish(). Shared() may be called from
// any thread.

#include <QString>

#include <memory>
#include <mutex>

// The values, in their order. DWORD values are ints: they are stored as
// 32-bit words and read back as such, so -20 survives a round trip.
struct SettingsValues {
    QString OutputFolder; // downloads go to per-site sub-folders of it
    QString YTUser;       // YouTube account name
    QString YTPasswd;     // YouTube password, stored as typed
    QString NicoUser;     // NicoVideo account name
    QString NicoPasswd;   // NicoVideo password, stored as typed
    int ShutdownFlag = 0; // power off when a batch has ended
    int UseTitleAsFileName = 0;
    int UseInternalCache = 0;
    int RetryTimes = 0; // extra attempts per item
    int YoutubeFMT = 1; // preferred YouTube format, used modulo 6
    int DonotSepDVD = 0;
    QString MPLAYER_VO; // preview video output driver ("-vo" when not empty)
    int ProcessPriority = 2;
    int EncodeThreads = 0;
    int OUT_VOLUME = 0; // preview volume change in dB (-20 .. 20)
    int VOLUME_NORM = 1;
    int AAC_MPEG = 1;
    int AAC_OBJECT = 0;
    int MP3_ENCODE = 0;
    int MP3_VOLUME = 0;
    int MP3_AQ = 0;
    int MP3_VBRQ = 4;
    int DEINT = 0;
    int IVTC = 0;
    int Fit2Width = 0;
    int Fit2Height = 0;
    int ExpandSize = 0;
    int ExpandRound16 = 0;
    QString LangID = QStringLiteral("en"); // language code, or "auto"
    QString YtDlpPath;                     // the yt-dlp program for the other sites; empty: "yt-dlp" on PATH
    // After each download: 0 keep the file as it is, 1 MP3, 2 M4A, 3 MP4 (a
    // converted copy beside it); the original stays unless the second is 0.
    int AfterDownload = 0;
    int KeepOriginal = 1;
    // Saving a marked range: 0 copies the streams (the part starts at the key
    // frame at or before the mark), 1 encodes them again to cut exactly.
    int ExactCut = 0;
    // Offer a video page's address copied anywhere on the desktop.
    int WatchClipboard = 0;
};

class AppSettings : public SettingsValues {
  public:
    static constexpr const char* kOutputKey = "Setting\\Output";

    // The defaults: OutputFolder is DefaultOutputFolder(), MPLAYER_VO "x11".
    AppSettings();
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    // Reads the stored language (falling back to the language lookup file
    // and then "en") and every stored value; missing values keep the
    // current ones. Returns 1.
    int Load();
    // Writes the values changed since the last Load() or Save() and those
    // the store lacks (so a second running copy of the program does not undo
    // what the first stored), and leaves the file readable by its owner only.
    // Returns 1.
    int Save();

    // Makes the current fields what Shared() hands out.
    void Publish();
    // The fields as of the last Load(), Save() or Publish(); any thread.
    std::shared_ptr<const SettingsValues> Shared() const;

    // "<videos folder>/Zorv YouTube Downloader" (the user's videos folder,
    // created when missing), else "<application folder>/output". A stored
    // folder is kept: this is what new profiles start with.
    static QString DefaultOutputFolder();

  private:
    SettingsValues stored_; // the values as this object last read or wrote them
    mutable std::mutex sharedLock_;
    std::shared_ptr<const SettingsValues> shared_;
};

// The program's one settings object, created with defaults on first use.
AppSettings& Settings();
