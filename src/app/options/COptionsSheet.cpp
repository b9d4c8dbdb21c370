#include "app/options/COptionsSheet.h"

#include "app/options/CPageAudio.h"
#include "app/options/CPageGeneral.h"
#include "app/options/CPageOnline.h"
#include "app/options/CPageVideo.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "ui/WidgetTranslation.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
} // namespace

COptionsSheet::COptionsSheet(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), saveSettings([&settings] { settings.Save(); }), settings_(settings),
      tabs_(new QTabWidget(this)), general_(new CPageGeneral(settings, prompts)),
      online_(new CPageOnline(settings, prompts)), audio_(new CPageAudio(settings, prompts)),
      video_(new CPageVideo(settings, prompts)) {
    setWindowTitle(LoadText(TextId::OptionsCaption));
    for (OptionsPage* page : {static_cast<OptionsPage*>(general_), static_cast<OptionsPage*>(online_),
                              static_cast<OptionsPage*>(audio_), static_cast<OptionsPage*>(video_)}) {
        // Each page's texts in the current language; its title names the tab.
        WidgetTranslation::TranslateDialog(page, page->TemplateId());
        tabs_->addTab(page, page->windowTitle());
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setProperty("ctrlId", kIdOk);
    buttons->button(QDialogButtonBox::Cancel)->setProperty("ctrlId", kIdCancel);
    buttons->button(QDialogButtonBox::Ok)->setText(TranslateText(QStringLiteral("OK")));
    buttons->button(QDialogButtonBox::Cancel)->setText(TranslateText(QStringLiteral("Cancel")));
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(buttons);

    general_->InitPage();
    connect(tabs_, &QTabWidget::currentChanged, this, &COptionsSheet::OnPageChanged);
}

OptionsPage* COptionsSheet::Page(int index) const {
    return qobject_cast<OptionsPage*>(tabs_->widget(index));
}

void COptionsSheet::OnPageChanged(int index) {
    if (switchingBack_)
        return;
    // A page with a refused value keeps the user until it is mended.
    if (OptionsPage* left = Page(current_); left && left->IsInitialized() && !left->Validate()) {
        switchingBack_ = true;
        tabs_->setCurrentIndex(current_);
        switchingBack_ = false;
        if (QWidget* control = left->RefusedControl())
            control->setFocus();
        return;
    }
    current_ = index;
    if (OptionsPage* page = Page(index))
        page->InitPage();
}

void COptionsSheet::accept() {
    if (OptionsPage* page = Page(tabs_->currentIndex()); page && !page->Validate())
        return;
    for (int i = 0; i < tabs_->count(); ++i) {
        OptionsPage* page = Page(i);
        if (!page->IsInitialized())
            continue;
        page->StoreSettings();
        saveSettings();
    }
    QDialog::accept();
}
