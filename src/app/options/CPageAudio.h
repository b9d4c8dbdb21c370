#pragma once
// The audio options page: the preview's volume change in dB (-20 to 20),
// shown beside the slider as it moves, and volume normalisation.
//
// Threads: main thread only.

#include "app/options/OptionsPage.h"

class QCheckBox;
class QLabel;
class QSlider;

class CPageAudio : public OptionsPage {
    Q_OBJECT
  public:
    static constexpr int IDD = 256;
    static constexpr int kVolumeId = 1017, kVolumeLabelId = 1038, kNormalizeId = 1016;
    static constexpr int kMinVolume = -20, kMaxVolume = 20;

    CPageAudio(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    void StoreSettings() override;

    QSlider* Volume() const { return volume_; }
    QLabel* VolumeLabel() const { return volumeLabel_; }

  protected:
    void LoadSettings() override;

  private:
    void ShowVolume(int db);

    QSlider* volume_;
    QLabel* volumeLabel_;
    QCheckBox* normalize_;
};
