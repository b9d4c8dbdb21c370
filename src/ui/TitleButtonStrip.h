#pragma once
// The button strip of the window's title area. Each button has a number;
// pressing an enabled button reports it with buttonPressed (the window's
// message 5025). The window decides what a number does and which buttons
// are enabled.
//
// Threads: main thread only.

#include <QHash>
#include <QIcon>
#include <QWidget>

class QHBoxLayout;
class QToolButton;

class TitleButtonStrip : public QWidget {
    Q_OBJECT
  public:
    // Visual groups: commands are round and roomy, window buttons are the
    // compact ones at the right edge (the close button turns red on hover).
    enum class Kind { Command, Window, Close };

    explicit TitleButtonStrip(QWidget* parent = nullptr);

    void AddButton(int number, Kind kind, const QIcon& icon, const QString& toolTip);
    // A gap between button groups.
    void AddSpacing(int pixels);
    void SetIcon(int number, const QIcon& icon);
    void SetToolTip(int number, const QString& toolTip);
    void SetButtonEnabled(int number, bool enabled);
    bool IsButtonEnabled(int number) const;
    QToolButton* Button(int number) const { return buttons_.value(number); }

  Q_SIGNALS:
    void buttonPressed(int number);

  private:
    QHBoxLayout* layout_;
    QHash<int, QToolButton*> buttons_;
};
