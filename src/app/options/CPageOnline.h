#pragma once
// The online options page: the two site accounts, file naming, the cache,
// the retry count (0 to 99) and the preferred YouTube quality.
//
// Threads: main thread only.

#include "app/options/OptionsPage.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class CPageOnline : public OptionsPage {
    Q_OBJECT
  public:
    static constexpr int IDD = 185;
    static constexpr int kYtUserId = 1197, kYtPasswdId = 1198, kNicoUserId = 1199, kNicoPasswdId = 1200;
    static constexpr int kUseTitleId = 1018, kUseCacheId = 1019, kRetryId = 1020;
    static constexpr int kFirstFormatId = 1072;
    static constexpr int kFormatCount = 6; // the YouTube extractor's choices
    static constexpr int kMaxRetry = 99;

    CPageOnline(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    bool Validate() override;
    void StoreSettings() override;

    QLineEdit* Retry() const { return retry_; }
    QLineEdit* Account(int ctrlId) const;
    QRadioButton* Format(int index) const { return formats_[index]; }

  protected:
    void LoadSettings() override;

  private:
    QLineEdit* ytUser_;
    QLineEdit* ytPasswd_;
    QLineEdit* nicoUser_;
    QLineEdit* nicoPasswd_;
    QCheckBox* useTitle_;
    QCheckBox* useCache_;
    QLineEdit* retry_;
    std::array<QRadioButton*, kFormatCount> formats_{};
};
