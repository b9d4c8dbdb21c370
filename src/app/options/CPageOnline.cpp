#include "app/options/CPageOnline.h"

#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QRadioButton>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
constexpr int kYtGroupId = 1301, kNicoGroupId = 1302, kUserLabelId = 1303, kPasswdLabelId = 1304;
constexpr int kDownloadGroupId = 1305, kRetryLabelId = 1306, kFormatGroupId = 1307;
constexpr int kYtDlpGroupId = 1308, kYtDlpLabelId = 1309;

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
      retry_(Numbered(new QLineEdit, kRetryId)), ytDlpPath_(Numbered(new QLineEdit, kYtDlpPathId)),
      ytDlpBrowse_(Numbered(new QPushButton(QStringLiteral("Browse...")), kYtDlpBrowseId)),
      ytDlpVersion_(Numbered(new QLabel, kYtDlpVersionId)),
      ytDlpWarning_(Numbered(new QLabel, kYtDlpWarningId)), versionDelay_(new QTimer(this)) {
    pickProgram = [this](const QString& title, const QString& start) -> std::optional<QString> {
        const QString file = QFileDialog::getOpenFileName(this, title, start);
        return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
    };
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

    auto* ytDlpGroup = Numbered(new QGroupBox(QStringLiteral("Other sites (yt-dlp)")), kYtDlpGroupId);
    auto* ytDlpGrid = new QGridLayout(ytDlpGroup);
    ytDlpPath_->setPlaceholderText(LoadText(TextId::YtDlpOnPath));
    ytDlpGrid->addWidget(Numbered(new QLabel(QStringLiteral("yt-dlp program:")), kYtDlpLabelId), 0, 0);
    ytDlpGrid->addWidget(ytDlpPath_, 0, 1);
    ytDlpGrid->addWidget(ytDlpBrowse_, 0, 2);
    ytDlpVersion_->setWordWrap(true);
    ytDlpVersion_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ytDlpGrid->addWidget(ytDlpVersion_, 1, 0, 1, 3);
    ytDlpWarning_->setWordWrap(true);
    ytDlpWarning_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warningColours = ytDlpWarning_->palette();
    warningColours.setColor(QPalette::WindowText, QColor(170, 60, 0));
    ytDlpWarning_->setPalette(warningColours);
    ytDlpWarning_->hide();
    ytDlpGrid->addWidget(ytDlpWarning_, 2, 0, 1, 3);
    ytDlpGrid->setColumnStretch(1, 1);

    versionDelay_->setSingleShot(true);
    versionDelay_->setInterval(kVersionDebounceMs);
    connect(versionDelay_, &QTimer::timeout, this, &CPageOnline::RefreshVersion);
    connect(ytDlpPath_, &QLineEdit::textEdited, versionDelay_, qOverload<>(&QTimer::start));
    connect(ytDlpBrowse_, &QPushButton::clicked, this, &CPageOnline::BrowseYtDlp);
    connect(&versionWatcher_, &QFutureWatcher<YtDlpVersion>::finished, this, [this] {
        if (versionWatcher_.future().resultCount() > 0)
            ShowVersion(versionWatcher_.result());
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(accounts);
    layout->addWidget(download);
    layout->addWidget(formatGroup);
    layout->addWidget(ytDlpGroup);
    layout->addStretch(1);
}

void CPageOnline::showEvent(QShowEvent* event) {
    OptionsPage::showEvent(event);
    // The program may have been installed or updated since the page last showed.
    if (IsInitialized())
        RefreshVersion();
}

void CPageOnline::RefreshVersion() {
    versionDelay_->stop();
    ytDlpVersion_->setText(LoadText(TextId::YtDlpChecking));
    ytDlpWarning_->hide();
    auto promise = std::make_shared<QPromise<YtDlpVersion>>();
    // A new future replaces the one watched, so an earlier query that ends
    // later never shows.
    versionWatcher_.setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, path = ytDlpPath_->text()] {
        promise->addResult(YtDlpTool(path).Version());
        promise->finish();
    });
}

void CPageOnline::ShowVersion(const YtDlpVersion& version) {
    switch (version.status) {
    case YtDlpVersion::Status::Ok:
        ytDlpVersion_->setText(FillFormat(LoadText(TextId::YtDlpVersionShown), {version.version}));
        break;
    case YtDlpVersion::Status::Missing:
        ytDlpVersion_->setText(LoadText(TextId::YtDlpNotFound));
        break;
    case YtDlpVersion::Status::Broken:
        ytDlpVersion_->setText(FillFormat(LoadText(TextId::YtDlpBroken), {version.error}));
        break;
    }
    const bool outdated = version.status == YtDlpVersion::Status::Ok &&
                          YtDlpTool::IsOutdated(version.version, QDate::currentDate()).value_or(false);
    ytDlpWarning_->setText(outdated ? LoadText(TextId::YtDlpOutdated) : QString());
    ytDlpWarning_->setVisible(outdated);
    // After the layouts have taken in the new texts.
    QTimer::singleShot(0, this, &CPageOnline::GrowWindowToFit);
}

void CPageOnline::GrowWindowToFit() {
    // The answer arrives after the sheet took its size, and its wrapped
    // lines need height the sheet did not have: the sheet grows, never shrinks.
    QWidget* top = window();
    if (top == this || !top->isVisible() || !top->layout())
        return;
    top->layout()->activate();
    const int needed = std::max(top->layout()->totalHeightForWidth(top->width()),
                                top->layout()->totalMinimumSize().height());
    if (needed > top->height())
        top->resize(top->width(), needed);
}

void CPageOnline::BrowseYtDlp() {
    const std::optional<QString> chosen =
        pickProgram(LoadText(TextId::ChooseYtDlpTitle), ytDlpPath_->text().trimmed());
    if (!chosen)
        return;
    ytDlpPath_->setText(*chosen);
    RefreshVersion();
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
    ytDlpPath_->setText(settings_.YtDlpPath);
    RefreshVersion();
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
    settings_.YtDlpPath = ytDlpPath_->text().trimmed();
    // A stored choice outside the buttons stays as it was when none is picked.
    for (int i = 0; i < kFormatCount; ++i)
        if (formats_[i]->isChecked())
            settings_.YoutubeFMT = i;
}
