#pragma once
// A row of image buttons: each button draws one picture per state (normal,
// hovered, pressed, disabled) stretched over its face, with an optional
// icon and caption on top, and reports a click by its number (the panel's
// message 5025).
//
// Threads: main thread only.

#include <QAbstractButton>
#include <QHash>
#include <QPixmap>
#include <QWidget>

#include <array>

class QHBoxLayout;

class ImageButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum State { Normal = 0, Hover, Pressed, Disabled };

    explicit ImageButton(QWidget* parent = nullptr);
    void SetStatePixmaps(const std::array<QPixmap, 4>& pixmaps);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    std::array<QPixmap, 4> pixmaps_;
    bool hovered_ = false;
};

class ImageButtonStrip : public QWidget {
    Q_OBJECT
  public:
    explicit ImageButtonStrip(QWidget* parent = nullptr);

    // A button of `size` logical pixels; `stretch` shares spare width.
    ImageButton* AddButton(int number, QSize size, int stretch = 0);
    ImageButton* Button(int number) const { return buttons_.value(number); }
    void SetMargins(int left, int top, int right, int bottom);
    void SetSpacing(int pixels);

  Q_SIGNALS:
    void buttonClicked(int number);

  private:
    QHBoxLayout* layout_;
    QHash<int, ImageButton*> buttons_;
};
