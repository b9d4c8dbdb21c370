#pragma once
// The audio options page: the preview's volume change in dB (-20 to 20),
// shown beside the slider as it moves, and volume normalisation; what
// becomes of each download (kept as it is, or converted to MP3, M4A or MP4,
// with or without the original), and how a marked range is saved.
//
// Threads: main thread only.

#include "app/options/OptionsPage.h"

#include <array>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;
class QSpinBox;

class CPageAudio : public OptionsPage {
    Q_OBJECT
  public:
    static constexpr int IDD = 256;
    static constexpr int kVolumeId = 1017, kVolumeLabelId = 1038, kNormalizeId = 1016;
    static constexpr int kMinVolume = -20, kMaxVolume = 20;
    // The after-download choices (setting values 0 to 3), the original, and
    // the exact cut.
    static constexpr int kAfterDownloadIds[] = {1311, 1312, 1313, 1314};
    static constexpr int kKeepOriginalId = 1315, kExactCutId = 1316, kMp3QualityId = 1320;

    CPageAudio(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    void StoreSettings() override;

    QSlider* Volume() const { return volume_; }
    QRadioButton* AfterDownloadChoice(int value) const { return afterDownload_.at(value); }
    QCheckBox* KeepOriginal() const { return keepOriginal_; }
    QCheckBox* ExactCut() const { return exactCut_; }
    QSpinBox* Mp3Quality() const { return mp3Quality_; }
    QLabel* VolumeLabel() const { return volumeLabel_; }

  protected:
    void LoadSettings() override;

  private:
    void ShowVolume(int db);

    QSlider* volume_;
    QLabel* volumeLabel_;
    QCheckBox* normalize_;
    std::array<QRadioButton*, 4> afterDownload_{};
    QCheckBox* keepOriginal_;
    QCheckBox* exactCut_;
    QSpinBox* mp3Quality_;
};
