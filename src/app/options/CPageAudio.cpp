#include "app/options/CPageAudio.h"

#include "base/AppSettings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace {
constexpr int kVolumeGroupId = 1301, kVolumeTextId = 1302;
}

CPageAudio::CPageAudio(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : OptionsPage(IDD, QStringLiteral("Audio"), settings, prompts, parent),
      volume_(Numbered(new QSlider(Qt::Horizontal), kVolumeId)),
      volumeLabel_(Numbered(new QLabel, kVolumeLabelId)),
      normalize_(Numbered(new QCheckBox(QStringLiteral("Normalize the volume")), kNormalizeId)) {
    volume_->setRange(kMinVolume, kMaxVolume);
    volume_->setTickPosition(QSlider::TicksBelow);
    volume_->setTickInterval(5);
    volume_->setPageStep(5);
    // Wide enough for "-20 db" so the slider does not shift as the text changes.
    volumeLabel_->setMinimumWidth(volumeLabel_->fontMetrics().horizontalAdvance(QStringLiteral("-20 db")) +
                                  8);
    volumeLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* group = Numbered(new QGroupBox(QStringLiteral("Preview volume")), kVolumeGroupId);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(Numbered(new QLabel(QStringLiteral("Volume change:")), kVolumeTextId));
    auto* row = new QHBoxLayout;
    row->addWidget(volume_, 1);
    row->addWidget(volumeLabel_);
    groupLayout->addLayout(row);
    groupLayout->addWidget(normalize_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);

    ShowVolume(volume_->value());
    connect(volume_, &QSlider::valueChanged, this, &CPageAudio::ShowVolume);
}

void CPageAudio::ShowVolume(int db) {
    volumeLabel_->setText(QString::asprintf("%d db", db));
}

void CPageAudio::LoadSettings() {
    volume_->setValue(settings_.OUT_VOLUME);
    ShowVolume(volume_->value());
    normalize_->setChecked(settings_.VOLUME_NORM != 0);
}

void CPageAudio::StoreSettings() {
    settings_.OUT_VOLUME = volume_->value();
    settings_.VOLUME_NORM = normalize_->isChecked() ? 1 : 0;
}
