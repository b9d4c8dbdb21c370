#pragma once
// The preview's seven image buttons, index 0 to 6: range start here, range
// end here, play, pause, stop, go to the range start, go to the range end.
// A click is reported with the button's index.
//
// Threads: main thread only.

#include <QWidget>

#include <array>

class QToolButton;
class ResourceBundle;

class PreviewButtonBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kCtrlId = 1441;
    static constexpr int kButtonCount = 7;
    static constexpr int kStripBitmap = 164; // the seven pictures side by side

    PreviewButtonBar(ResourceBundle& bundle, QWidget* parent = nullptr);

    void SetButtonEnabled(int index, bool enabled);
    bool IsButtonEnabled(int index) const;
    QToolButton* Button(int index) const { return buttons_[index]; }
    // Reloads the pictures (language change, scale change).
    void ReloadImages();

  Q_SIGNALS:
    void buttonClicked(int index);

  private:
    ResourceBundle& bundle_;
    std::array<QToolButton*, kButtonCount> buttons_{};
};
