#pragma once
// The online options page: the two site accounts, file naming, the cache,
// the retry count (0 to 99), the preferred YouTube quality and the yt-dlp
// program that reads every other site, with the version it reports.
//
// Threads: main thread only. The version query runs on a pool thread (a
// tool may take seconds to answer) and its result comes back through a
// future watched on the main thread; only the latest query's result shows.

#include "app/options/OptionsPage.h"
#include "mediatools/YtDlpTool.h"

#include <QFutureWatcher>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

class CPageOnline : public OptionsPage {
    Q_OBJECT
  public:
    static constexpr int IDD = 185;
    static constexpr int kYtUserId = 1197, kYtPasswdId = 1198, kNicoUserId = 1199, kNicoPasswdId = 1200;
    static constexpr int kUseTitleId = 1018, kUseCacheId = 1019, kRetryId = 1020;
    static constexpr int kFirstFormatId = 1072;
    static constexpr int kFormatCount = 6; // the YouTube extractor's choices
    static constexpr int kMaxRetry = 99;
    static constexpr int kYtDlpPathId = 1201, kYtDlpBrowseId = 1202, kYtDlpVersionId = 1203,
                         kYtDlpWarningId = 1204;
    // Typing pauses this long before the program is asked again.
    static constexpr int kVersionDebounceMs = 400;

    CPageOnline(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    bool Validate() override;
    void StoreSettings() override;

    QLineEdit* Retry() const { return retry_; }
    QLineEdit* Account(int ctrlId) const;
    QRadioButton* Format(int index) const { return formats_[index]; }
    QLineEdit* YtDlpPath() const { return ytDlpPath_; }
    QLabel* YtDlpVersionLine() const { return ytDlpVersion_; }
    QLabel* YtDlpWarning() const { return ytDlpWarning_; }
    // Whether a version query is under way.
    bool IsQueryingVersion() const { return versionWatcher_.isRunning(); }

    // Asks the program in the field for its version now.
    void RefreshVersion();
    // The file chooser of Browse...: title and start path in, nothing when
    // cancelled; replaceable so a test need not open one.
    std::function<std::optional<QString>(const QString& title, const QString& start)> pickProgram;
    void BrowseYtDlp();

  protected:
    void LoadSettings() override;
    void showEvent(QShowEvent* event) override;

  private:
    void ShowVersion(const YtDlpVersion& version);
    void GrowWindowToFit();

    QLineEdit* ytUser_;
    QLineEdit* ytPasswd_;
    QLineEdit* nicoUser_;
    QLineEdit* nicoPasswd_;
    QCheckBox* useTitle_;
    QCheckBox* useCache_;
    QLineEdit* retry_;
    std::array<QRadioButton*, kFormatCount> formats_{};
    QLineEdit* ytDlpPath_;
    QPushButton* ytDlpBrowse_;
    QLabel* ytDlpVersion_;
    QLabel* ytDlpWarning_;
    QTimer* versionDelay_;
    QFutureWatcher<YtDlpVersion> versionWatcher_;
};
