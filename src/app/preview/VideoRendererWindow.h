#pragma once
// The window mplayer draws into: a native child window whose X11 id goes to
// the player with "-wid". Qt never paints it, so nothing it draws is
// overwritten; the X server fills it with its dark background colour.
//
// Threads: main thread only.

#include <QWidget>

class VideoRendererWindow : public QWidget {
    Q_OBJECT
  public:
    explicit VideoRendererWindow(QWidget* parent);
    QPaintEngine* paintEngine() const override { return nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override {}
};
