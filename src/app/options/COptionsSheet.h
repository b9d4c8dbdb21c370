#pragma once
// The options sheet: four pages (general, online, audio, video) in tabs,
// with OK and Cancel. A page is loaded from the settings the first time it
// is shown; leaving a page or pressing OK first checks its values. OK makes
// every shown page store its controls and save the settings (one save per
// shown page); Cancel leaves the settings as they were.
//
// Threads: main thread only.

#include <QDialog>

#include <functional>

class AppSettings;
class CPageAudio;
class CPageGeneral;
class CPageOnline;
class CPageVideo;
class OptionsPage;
class QTabWidget;
class UserPrompts;

class COptionsSheet : public QDialog {
    Q_OBJECT
  public:
    COptionsSheet(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    QTabWidget* Tabs() const { return tabs_; }
    CPageGeneral* General() const { return general_; }
    CPageOnline* Online() const { return online_; }
    CPageAudio* Audio() const { return audio_; }
    CPageVideo* Video() const { return video_; }

    // Writes the settings to the store; replaceable so a test can count.
    std::function<void()> saveSettings;

  public Q_SLOTS:
    void accept() override;

  private:
    void OnPageChanged(int index);
    OptionsPage* Page(int index) const;

    AppSettings& settings_;
    QTabWidget* tabs_;
    CPageGeneral* general_;
    CPageOnline* online_;
    CPageAudio* audio_;
    CPageVideo* video_;
    int current_ = 0;
    bool switchingBack_ = false;
};
