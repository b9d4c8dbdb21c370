#include "ui/WidgetTranslation.h"

#include "base/UiTranslation.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {
// The text a widget had before its first translation and the text the last
// translation left it with: while it still shows the latter, the next
// translation starts from the former, so a language without an entry shows
// the original again. A text the program has set since is the new original.
constexpr const char* kBaseText = "zorvBaseText";
constexpr const char* kShownText = "zorvShownText";

QString BaseText(QObject* object, const QString& current) {
    const QVariant base = object->property(kBaseText);
    if (base.isValid() && object->property(kShownText).toString() == current)
        return base.toString();
    object->setProperty(kBaseText, current);
    return current;
}

void Remember(QObject* object, const QString& shown) {
    object->setProperty(kShownText, shown);
}

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
    texts.caption = BaseText(dialog, dialog->windowTitle());
    std::vector<QWidget*> widgets;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        DialogControl control;
        control.ctrlId = w->property(kCtrlIdProperty).toInt();
        QString current;
        if (!GetText(w, current))
            continue;
        control.text = BaseText(w, current);
        texts.controls.push_back(control);
        widgets.push_back(w);
    }
    ::TranslateDialog(texts, idd);
    for (size_t i = 0; i < widgets.size(); ++i) {
        QString current;
        GetText(widgets[i], current);
        if (texts.controls[i].text != current)
            SetText(widgets[i], texts.controls[i].text);
        Remember(widgets[i], texts.controls[i].text);
    }
    if (texts.caption != dialog->windowTitle())
        dialog->setWindowTitle(texts.caption);
    Remember(dialog, texts.caption);
}
} // namespace WidgetTranslation
