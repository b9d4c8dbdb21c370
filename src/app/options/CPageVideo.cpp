#include "app/options/CPageVideo.h"

#include "base/AppSettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int kOutputGroupId = 1301, kFilterGroupId = 1302, kFrameGroupId = 1303;
}

CPageVideo::CPageVideo(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : OptionsPage(IDD, QStringLiteral("Video"), settings, prompts, parent),
      deint_(Numbered(new QCheckBox(QStringLiteral("Deinterlace")), kDeintId)),
      ivtc_(Numbered(new QCheckBox(QStringLiteral("Inverse telecine")), kIvtcId)),
      fitWidth_(Numbered(new QCheckBox(QStringLiteral("Fit to width")), kFitWidthId)),
      fitHeight_(Numbered(new QCheckBox(QStringLiteral("Fit to height")), kFitHeightId)),
      expand_(Numbered(new QCheckBox(QStringLiteral("Expand the frame")), kExpandId)),
      round16_(Numbered(new QCheckBox(QStringLiteral("Round to multiples of 16")), kRound16Id)) {
    static const char* const kOutputNames[kDrivers.size()] = {"X Video (xv)", "X11 (x11)", "OpenGL (gl)"};
    auto* outputGroup =
        Numbered(new QGroupBox(QStringLiteral("Video output of the preview")), kOutputGroupId);
    auto* outputLayout = new QHBoxLayout(outputGroup);
    auto* buttons = new QButtonGroup(this);
    for (size_t i = 0; i < kDrivers.size(); ++i) {
        outputs_[i] = Numbered(new QRadioButton(QString::fromUtf8(kOutputNames[i])), kFirstOutputId + int(i));
        buttons->addButton(outputs_[i], int(i));
        outputLayout->addWidget(outputs_[i]);
    }
    outputLayout->addStretch(1);

    auto* filterGroup = Numbered(new QGroupBox(QStringLiteral("Filters")), kFilterGroupId);
    auto* filterLayout = new QVBoxLayout(filterGroup);
    filterLayout->addWidget(deint_);
    filterLayout->addWidget(ivtc_);

    auto* frameGroup = Numbered(new QGroupBox(QStringLiteral("Frame size")), kFrameGroupId);
    auto* frameLayout = new QGridLayout(frameGroup);
    frameLayout->addWidget(fitWidth_, 0, 0);
    frameLayout->addWidget(fitHeight_, 1, 0);
    frameLayout->addWidget(expand_, 0, 1);
    frameLayout->addWidget(round16_, 1, 1);
    frameLayout->setColumnStretch(0, 1);
    frameLayout->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outputGroup);
    layout->addWidget(filterGroup);
    layout->addWidget(frameGroup);
    layout->addStretch(1);

    connect(fitWidth_, &QCheckBox::clicked, this, [this] { OnFitClicked(fitWidth_, fitHeight_); });
    connect(fitHeight_, &QCheckBox::clicked, this, [this] { OnFitClicked(fitHeight_, fitWidth_); });
}

QCheckBox* CPageVideo::Box(int ctrlId) const {
    for (QCheckBox* box : {deint_, ivtc_, fitWidth_, fitHeight_, expand_, round16_})
        if (box->property("ctrlId").toInt() == ctrlId)
            return box;
    return nullptr;
}

void CPageVideo::LoadSettings() {
    // An unknown driver name leaves the first button selected.
    int driver = 0;
    for (size_t i = 0; i < kDrivers.size(); ++i)
        if (settings_.MPLAYER_VO == QLatin1String(kDrivers[i]))
            driver = int(i);
    outputs_[driver]->setChecked(true);
    deint_->setChecked(settings_.DEINT != 0);
    ivtc_->setChecked(settings_.IVTC != 0);
    fitWidth_->setChecked(settings_.Fit2Width != 0);
    fitHeight_->setChecked(settings_.Fit2Height != 0);
    expand_->setChecked(settings_.ExpandSize != 0);
    round16_->setChecked(settings_.ExpandRound16 != 0);

    SetExpandEnabled(fitWidth_->isChecked() || fitHeight_->isChecked());
    if (fitHeight_->isChecked())
        fitWidth_->setEnabled(false);
    if (fitWidth_->isChecked())
        fitHeight_->setEnabled(false);
}

void CPageVideo::OnFitClicked(QCheckBox* clicked, QCheckBox* other) {
    if (clicked->isChecked()) {
        SetExpandEnabled(true);
        other->setEnabled(false);
        return;
    }
    other->setEnabled(true);
    if (!other->isChecked())
        SetExpandEnabled(false);
}

void CPageVideo::SetExpandEnabled(bool enabled) {
    expand_->setEnabled(enabled);
    round16_->setEnabled(enabled);
}

void CPageVideo::StoreSettings() {
    for (size_t i = 0; i < kDrivers.size(); ++i)
        if (outputs_[i]->isChecked())
            settings_.MPLAYER_VO = QLatin1String(kDrivers[i]);
    settings_.DEINT = deint_->isChecked() ? 1 : 0;
    settings_.IVTC = ivtc_->isChecked() ? 1 : 0;
    settings_.Fit2Width = fitWidth_->isChecked() ? 1 : 0;
    settings_.Fit2Height = fitHeight_->isChecked() ? 1 : 0;
    settings_.ExpandSize = expand_->isChecked() ? 1 : 0;
    settings_.ExpandRound16 = round16_->isChecked() ? 1 : 0;
}
