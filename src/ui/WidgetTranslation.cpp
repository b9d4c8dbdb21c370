#include "ui/WidgetTranslation.h"

#include "base/UiTranslation.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {
// Text access for the widget kinds that show one.
bool GetText(QWidget* w, QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        text = button->text();
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        text = group->title();
    else
        return false;
    return true;
}

void SetText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
}
} // namespace

namespace WidgetTranslation {
void SetCtrlId(QWidget* widget, int ctrlId) {
    widget->setProperty(kCtrlIdProperty, ctrlId);
}

void TranslateDialog(QWidget* dialog, int idd) {
    DialogTexts texts;
    texts.caption = dialog->windowTitle();
    std::vector<QWidget*> widgets;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        DialogControl control;
        control.ctrlId = w->property(kCtrlIdProperty).toInt();
        if (!GetText(w, control.text))
            continue;
        texts.controls.push_back(control);
        widgets.push_back(w);
    }
    ::TranslateDialog(texts, idd);
    for (size_t i = 0; i < widgets.size(); ++i)
        if (texts.controls[i].changed)
            SetText(widgets[i], texts.controls[i].text);
    if (texts.captionChanged)
        dialog->setWindowTitle(texts.caption);
}
} // namespace WidgetTranslation
