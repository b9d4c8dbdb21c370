#pragma once
// One page of the options sheet. A page builds its controls when it is
// made, takes their texts from the current language when the sheet opens,
// and loads the settings into them the first time it is shown. On OK the
// sheet asks every page that has been shown to store its controls; pages
// never shown leave their settings alone.
//
// Threads: main thread only.

#include <QWidget>

class AppSettings;
class UserPrompts;

class OptionsPage : public QWidget {
    Q_OBJECT
  public:
    OptionsPage(int templateId, const QString& title, AppSettings& settings, UserPrompts& prompts,
                QWidget* parent = nullptr);

    int TemplateId() const { return templateId_; }
    bool IsInitialized() const { return initialized_; }
    // First show: fills the controls from the settings. Later calls do nothing.
    void InitPage();
    // Whether the controls hold acceptable values; when not, the user is told
    // and the offending control gets the focus.
    virtual bool Validate() { return true; }
    // Copies the controls into the settings (not saved here).
    virtual void StoreSettings() = 0;
    // The control the last failed Validate() pointed at.
    QWidget* RefusedControl() const { return refused_; }

  protected:
    virtual void LoadSettings() = 0;
    // Tells the user and puts the focus into `control`.
    void Refuse(QWidget* control, const QString& message);

    AppSettings& settings_;
    UserPrompts& prompts_;

  private:
    int templateId_;
    bool initialized_ = false;
    QWidget* refused_ = nullptr;
};

// Control helpers shared by the pages: every control carries its number.
template <typename Widget> Widget* Numbered(Widget* widget, int ctrlId) {
    widget->setProperty("ctrlId", ctrlId);
    return widget;
}
