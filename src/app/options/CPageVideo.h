#pragma once
// The video options page: the preview's video output driver, deinterlacing
// and inverse telecine, and the frame fitting options. Fitting to the width
// and to the height exclude each other; the two expand boxes only apply
// while one of them is checked. A disabled box keeps its check mark.
//
// Threads: main thread only.

#include "app/options/OptionsPage.h"

#include <array>

class QCheckBox;
class QRadioButton;

class CPageVideo : public OptionsPage {
    Q_OBJECT
  public:
    static constexpr int IDD = 255;
    static constexpr int kFirstOutputId = 1028;
    static constexpr int kDeintId = 1027, kIvtcId = 1031;
    static constexpr int kFitWidthId = 1032, kFitHeightId = 1033;
    static constexpr int kExpandId = 1034, kRound16Id = 1035;
    // The video output drivers offered, in button order.
    static constexpr std::array<const char*, 3> kDrivers = {"xv", "x11", "gl"};

    CPageVideo(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    void StoreSettings() override;

    QRadioButton* Output(int index) const { return outputs_[index]; }
    QCheckBox* Box(int ctrlId) const;

  protected:
    void LoadSettings() override;

  private:
    // The user clicked one of the fit boxes; `other` is the opposite one.
    void OnFitClicked(QCheckBox* clicked, QCheckBox* other);
    void SetExpandEnabled(bool enabled);

    std::array<QRadioButton*, kDrivers.size()> outputs_{};
    QCheckBox* deint_;
    QCheckBox* ivtc_;
    QCheckBox* fitWidth_;
    QCheckBox* fitHeight_;
    QCheckBox* expand_;
    QCheckBox* round16_;
};
