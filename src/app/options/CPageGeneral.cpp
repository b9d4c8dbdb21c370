#include "app/options/CPageGeneral.h"

#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/OutputFolder.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "platform/UserPrompts.h"
#include "ui/SystemShell.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr int kFolderGroupId = 1301;
constexpr int kFolderLabelId = 1302;
constexpr int kAfterGroupId = 1303;
constexpr int kClipboardGroupId = 1304;
} // namespace

CPageGeneral::CPageGeneral(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : OptionsPage(IDD, QStringLiteral("General"), settings, prompts, parent),
      // The sheet has no status line: a folder nothing opened is said in a message.
      showFolder([this](const QString& folder) {
          if (!SystemShell::Instance().Open(QUrl::fromLocalFile(folder)))
              prompts_.ShowMessage(FillFormat(LoadText(TextId::NothingAnswered), {folder}),
                                   UserPrompts::Icon::Warning);
      }),
      folder_(Numbered(new QLineEdit, kFolderId)),
      shutdown_(
          Numbered(new QCheckBox(QStringLiteral("Power off the computer when all downloads have ended")),
                   kShutdownId)),
      watchClipboard_(Numbered(
          new QCheckBox(QStringLiteral("Offer to download a video page's address when it is copied")),
          kWatchClipboardId)),
      browse_(Numbered(new QPushButton(QStringLiteral("Browse...")), kBrowseId)),
      open_(Numbered(new QPushButton(QStringLiteral("Open")), kOpenId)) {
    auto* folderGroup = Numbered(new QGroupBox(QStringLiteral("Output folder")), kFolderGroupId);
    auto* grid = new QGridLayout(folderGroup);
    grid->addWidget(Numbered(new QLabel(QStringLiteral("Downloaded videos are saved in per-site "
                                                       "folders inside this folder:")),
                             kFolderLabelId),
                    0, 0, 1, 3);
    grid->addWidget(folder_, 1, 0);
    grid->addWidget(browse_, 1, 1);
    grid->addWidget(open_, 1, 2);
    grid->setColumnStretch(0, 1);

    auto* afterGroup = Numbered(new QGroupBox(QStringLiteral("When downloads end")), kAfterGroupId);
    auto* after = new QVBoxLayout(afterGroup);
    after->addWidget(shutdown_);

    auto* clipboardGroup = Numbered(new QGroupBox(QStringLiteral("Clipboard")), kClipboardGroupId);
    (new QVBoxLayout(clipboardGroup))->addWidget(watchClipboard_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(folderGroup);
    layout->addWidget(afterGroup);
    layout->addWidget(clipboardGroup);
    layout->addStretch(1);

    connect(browse_, &QPushButton::clicked, this, &CPageGeneral::Browse);
    connect(open_, &QPushButton::clicked, this, &CPageGeneral::OpenFolder);
}

void CPageGeneral::LoadSettings() {
    folder_->setText(settings_.OutputFolder);
    shutdown_->setChecked(settings_.ShutdownFlag != 0);
    watchClipboard_->setChecked(settings_.WatchClipboard != 0);
}

bool CPageGeneral::Validate() {
    if (folder_->text().size() <= kMaxFolderLength)
        return true;
    Refuse(folder_, FillFormat(LoadText(TextId::StringTooLong), {QString::number(kMaxFolderLength)}));
    return false;
}

void CPageGeneral::StoreSettings() {
    settings_.OutputFolder = folder_->text();
    settings_.ShutdownFlag = shutdown_->isChecked() ? 1 : 0;
    settings_.WatchClipboard = watchClipboard_->isChecked() ? 1 : 0;
}

void CPageGeneral::NormalizeFolder() {
    const QString folder = NormalizeOutputFolder(folder_->text());
    folder_->setText(folder);
    // A folder that cannot be made is not reported: the text stays as cleaned.
    QDir().mkpath(folder);
}

void CPageGeneral::Browse() {
    NormalizeFolder();
    const std::optional<QString> chosen =
        prompts_.PickFolder(LoadText(TextId::ChooseOutputFolderTitle), folder_->text());
    if (!chosen)
        return;
    folder_->setText(*chosen);
    NormalizeFolder();
}

void CPageGeneral::OpenFolder() {
    NormalizeFolder();
    showFolder(folder_->text());
}
