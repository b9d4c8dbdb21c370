#include "app/options/OptionsPage.h"

#include "platform/UserPrompts.h"

#include <QLineEdit>

OptionsPage::OptionsPage(int templateId, const QString& title, AppSettings& settings, UserPrompts& prompts,
                         QWidget* parent)
    : QWidget(parent), settings_(settings), prompts_(prompts), templateId_(templateId) {
    setWindowTitle(title);
}

void OptionsPage::InitPage() {
    if (initialized_)
        return;
    initialized_ = true;
    LoadSettings();
}

void OptionsPage::Refuse(QWidget* control, const QString& message) {
    refused_ = control;
    prompts_.ShowMessage(message, UserPrompts::Icon::Warning);
    control->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
}
