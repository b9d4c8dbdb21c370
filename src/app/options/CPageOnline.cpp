#include "app/options/CPageOnline.h"

#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int kYtGroupId = 1301, kNicoGroupId = 1302, kUserLabelId = 1303, kPasswdLabelId = 1304;
constexpr int kDownloadGroupId = 1305, kRetryLabelId = 1306, kFormatGroupId = 1307;

QGroupBox* AccountGroup(const QString& title, int groupId, QLineEdit* user, QLineEdit* passwd) {
    auto* group = Numbered(new QGroupBox(title), groupId);
    auto* form = new QFormLayout(group);
    passwd->setEchoMode(QLineEdit::Password);
    form->addRow(Numbered(new QLabel(QStringLiteral("User name:")), kUserLabelId), user);
    form->addRow(Numbered(new QLabel(QStringLiteral("Password:")), kPasswdLabelId), passwd);
    return group;
}
} // namespace

CPageOnline::CPageOnline(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : OptionsPage(IDD, QStringLiteral("Online"), settings, prompts, parent),
      ytUser_(Numbered(new QLineEdit, kYtUserId)), ytPasswd_(Numbered(new QLineEdit, kYtPasswdId)),
      nicoUser_(Numbered(new QLineEdit, kNicoUserId)), nicoPasswd_(Numbered(new QLineEdit, kNicoPasswdId)),
      useTitle_(Numbered(new QCheckBox(QStringLiteral("Name files after the video title")), kUseTitleId)),
      useCache_(Numbered(new QCheckBox(QStringLiteral("Use the Internet cache")), kUseCacheId)),
      retry_(Numbered(new QLineEdit, kRetryId)) {
    static const char* const kFormatNames[kFormatCount] = {"Lowest",  "Normal",   "High",
                                                           "HD 720p", "HD 1080p", "Mobile (3GP)"};

    auto* accounts = new QHBoxLayout;
    accounts->addWidget(AccountGroup(QStringLiteral("YouTube account"), kYtGroupId, ytUser_, ytPasswd_));
    accounts->addWidget(
        AccountGroup(QStringLiteral("NicoVideo account"), kNicoGroupId, nicoUser_, nicoPasswd_));

    auto* download = Numbered(new QGroupBox(QStringLiteral("Downloading")), kDownloadGroupId);
    auto* downloadLayout = new QVBoxLayout(download);
    downloadLayout->addWidget(useTitle_);
    downloadLayout->addWidget(useCache_);
    auto* retryRow = new QHBoxLayout;
    retry_->setMaximumWidth(retry_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    retryRow->addWidget(
        Numbered(new QLabel(QStringLiteral("Extra attempts after a failed download:")), kRetryLabelId));
    retryRow->addWidget(retry_);
    retryRow->addStretch(1);
    downloadLayout->addLayout(retryRow);

    auto* formatGroup = Numbered(new QGroupBox(QStringLiteral("Preferred YouTube quality")), kFormatGroupId);
    auto* formatGrid = new QGridLayout(formatGroup);
    auto* buttons = new QButtonGroup(this);
    for (int i = 0; i < kFormatCount; ++i) {
        formats_[i] = Numbered(new QRadioButton(QString::fromUtf8(kFormatNames[i])), kFirstFormatId + i);
        buttons->addButton(formats_[i], i);
        formatGrid->addWidget(formats_[i], i / 3, i % 3);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(accounts);
    layout->addWidget(download);
    layout->addWidget(formatGroup);
    layout->addStretch(1);
}

QLineEdit* CPageOnline::Account(int ctrlId) const {
    switch (ctrlId) {
    case kYtUserId:
        return ytUser_;
    case kYtPasswdId:
        return ytPasswd_;
    case kNicoUserId:
        return nicoUser_;
    case kNicoPasswdId:
        return nicoPasswd_;
    default:
        return nullptr;
    }
}

void CPageOnline::LoadSettings() {
    ytUser_->setText(settings_.YTUser);
    ytPasswd_->setText(settings_.YTPasswd);
    nicoUser_->setText(settings_.NicoUser);
    nicoPasswd_->setText(settings_.NicoPasswd);
    useTitle_->setChecked(settings_.UseTitleAsFileName != 0);
    useCache_->setChecked(settings_.UseInternalCache != 0);
    retry_->setText(QString::number(settings_.RetryTimes));
    if (settings_.YoutubeFMT >= 0 && settings_.YoutubeFMT < kFormatCount)
        formats_[settings_.YoutubeFMT]->setChecked(true);
}

bool CPageOnline::Validate() {
    bool ok = false;
    const uint retry = retry_->text().trimmed().toUInt(&ok);
    if (ok && retry <= kMaxRetry)
        return true;
    Refuse(retry_,
           FillFormat(LoadText(TextId::IntegerRange), {QStringLiteral("0"), QString::number(kMaxRetry)}));
    return false;
}

void CPageOnline::StoreSettings() {
    settings_.YTUser = ytUser_->text().trimmed();
    settings_.YTPasswd = ytPasswd_->text().trimmed();
    settings_.NicoUser = nicoUser_->text().trimmed();
    settings_.NicoPasswd = nicoPasswd_->text().trimmed();
    settings_.UseTitleAsFileName = useTitle_->isChecked() ? 1 : 0;
    settings_.UseInternalCache = useCache_->isChecked() ? 1 : 0;
    settings_.RetryTimes = static_cast<int>(retry_->text().trimmed().toUInt());
    // A stored choice outside the buttons stays as it was when none is picked.
    for (int i = 0; i < kFormatCount; ++i)
        if (formats_[i]->isChecked())
            settings_.YoutubeFMT = i;
}
