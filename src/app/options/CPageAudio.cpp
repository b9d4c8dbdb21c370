#include "app/options/CPageAudio.h"

#include "base/AppSettings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kVolumeGroupId = 1301, kVolumeTextId = 1302, kAfterGroupId = 1310, kCutGroupId = 1317,
              kCutNoteId = 1318, kMp3QualityTextId = 1319;
constexpr const char* kAfterTexts[] = {"Keep the file as it is", "Convert it to MP3 (audio only)",
                                       "Convert it to M4A (audio only)", "Convert it to MP4 (H.264 and AAC)"};
} // namespace

CPageAudio::CPageAudio(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : OptionsPage(IDD, QStringLiteral("Audio"), settings, prompts, parent),
      volume_(Numbered(new QSlider(Qt::Horizontal), kVolumeId)),
      volumeLabel_(Numbered(new QLabel, kVolumeLabelId)),
      normalize_(Numbered(new QCheckBox(QStringLiteral("Normalize the volume")), kNormalizeId)),
      keepOriginal_(
          Numbered(new QCheckBox(QStringLiteral("Keep the downloaded file beside the converted one")),
                   kKeepOriginalId)),
      exactCut_(Numbered(new QCheckBox(QStringLiteral("Cut exactly at the marks (slower)")), kExactCutId)),
      mp3Quality_(Numbered(new QSpinBox, kMp3QualityId)) {
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

    auto* after = Numbered(new QGroupBox(QStringLiteral("After each download")), kAfterGroupId);
    auto* afterLayout = new QVBoxLayout(after);
    for (int value = 0; value < int(afterDownload_.size()); ++value) {
        afterDownload_[value] =
            Numbered(new QRadioButton(QLatin1String(kAfterTexts[value])), kAfterDownloadIds[value]);
        afterLayout->addWidget(afterDownload_[value]);
    }
    afterLayout->addWidget(keepOriginal_);
    // LAME's scale: 0 the best sound, 9 the smallest file.
    mp3Quality_->setRange(0, 9);
    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(
        Numbered(new QLabel(QStringLiteral("MP3 quality (0 best, 9 smallest files):")), kMp3QualityTextId));
    qualityRow->addWidget(mp3Quality_);
    qualityRow->addStretch(1);
    afterLayout->addLayout(qualityRow);
    // The original is kept anyway when nothing is made of it.
    connect(afterDownload_[0], &QRadioButton::toggled, keepOriginal_,
            [this](bool asItIs) { keepOriginal_->setEnabled(!asItIs); });

    auto* cut = Numbered(new QGroupBox(QStringLiteral("Saving a marked range")), kCutGroupId);
    auto* cutLayout = new QVBoxLayout(cut);
    cutLayout->addWidget(exactCut_);
    auto* cutNote =
        Numbered(new QLabel(QStringLiteral("An exact cut encodes the video again. Otherwise the "
                                           "streams are copied, which takes a moment, and the part "
                                           "starts at the key frame at or before the first mark.")),
                 kCutNoteId);
    cutNote->setWordWrap(true);
    cutLayout->addWidget(cutNote);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(after);
    layout->addWidget(cut);
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
    const int after = settings_.AfterDownload >= 0 && settings_.AfterDownload < int(afterDownload_.size())
                          ? settings_.AfterDownload
                          : 0;
    afterDownload_[after]->setChecked(true);
    keepOriginal_->setChecked(settings_.KeepOriginal != 0);
    keepOriginal_->setEnabled(after != 0);
    exactCut_->setChecked(settings_.ExactCut != 0);
    mp3Quality_->setValue(settings_.MP3_VBRQ);
}

void CPageAudio::StoreSettings() {
    settings_.OUT_VOLUME = volume_->value();
    settings_.VOLUME_NORM = normalize_->isChecked() ? 1 : 0;
    for (int value = 0; value < int(afterDownload_.size()); ++value)
        if (afterDownload_[value]->isChecked())
            settings_.AfterDownload = value;
    settings_.KeepOriginal = keepOriginal_->isChecked() ? 1 : 0;
    settings_.ExactCut = exactCut_->isChecked() ? 1 : 0;
    settings_.MP3_VBRQ = mp3Quality_->value();
}
