#pragma once
// A one-line label that never asks for more room than it is given: a text
// too long for its width is shortened in the middle (the start and the end
// stay readable, such as "Downloading http://host/…/clip: 10 of 20 bytes"),
// and then the whole text is the label's tool tip.
//
// Threads: main thread only.

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    void SetFullText(const QString& text);
    // The whole text, however much of it is shown.
    QString FullText() const { return full_; }
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Elide();

    QString full_;
};
