#pragma once
// Which yt-dlp runs and what it says about itself. The program never installs
// or updates yt-dlp: it runs the one configured in the options, else the one
// on PATH, and tells the user when that one is too old to trust with sites
// that change often.
//
// Threads: a value type; Version runs the tool on the calling thread and
// waits for it within a bound.

#include <QDate>
#include <QString>

#include <optional>

struct YtDlpVersion {
    enum class Status {
        Ok,      // the version text was read
        Missing, // no such program (or not executable)
        Broken,  // it ran but failed, hung or answered something unreadable
    };
    Status status = Status::Missing;
    QString version; // "2023.03.04" or "2023.03.04.1" when Ok
    QString error;   // what went wrong, for the user, when not Ok
};

class YtDlpTool {
  public:
    // A tool that does not tell its version within this time is killed.
    static constexpr int kVersionTimeoutMs = 5000;
    // A release older than this many days is reported as outdated.
    static constexpr int kMaxAgeDays = 90;

    // An empty configured path means "yt-dlp" looked up on PATH.
    explicit YtDlpTool(const QString& configuredPath = QString());

    const QString& Program() const { return program_; }

    // Runs "PROGRAM --version".
    YtDlpVersion Version(int timeoutMs = kVersionTimeoutMs) const;

    // The release date a version text names ("YYYY.MM.DD", optionally with a
    // ".N" suffix); nothing for any other text.
    static std::optional<QDate> ReleaseDate(const QString& version);
    // Whether that release is more than kMaxAgeDays before `today`; nothing
    // when the version text names no date.
    static std::optional<bool> IsOutdated(const QString& version, const QDate& today);

  private:
    QString program_;
};
