#pragma once
// The behaviour of a window without a system frame: a rounded outline
// (corner ellipse 7 x 7) recomputed on every size change, resizing by
// pressing within 5 pixels of an edge or corner (with the sizing cursor
// shown there), moving by pressing anywhere else on the window's own
// surface, and the double-click rules of the top strip. Children that take
// the mouse themselves (buttons, lists, edit boxes) keep it.
//
// Threads: main thread only.

#include <QObject>
#include <QPoint>
#include <QRegion>
#include <QSize>

class QWidget;

class FramelessFrame : public QObject {
    Q_OBJECT
  public:
    static constexpr int kResizeBorder = 5;
    static constexpr int kCornerEllipse = 7;
    static constexpr int kTopStripHeight = 24;
    static constexpr int kCloseCornerWidth = 25;

    // Installs itself on `window` (made frameless, with mouse tracking).
    explicit FramelessFrame(QWidget* window);

    // Marks a container child as part of the window's own surface: mouse
    // moves over it reach the frame, so the sizing cursor shows at the
    // edges it covers.
    void AddSurface(QWidget* container);

    // The edges a press at `pos` of a window of `size` would drag; none
    // away from the border.
    static Qt::Edges EdgesAt(QPoint pos, QSize size);
    static Qt::CursorShape CursorFor(Qt::Edges edges);
    // The rounded outline for a window of `size`.
    static QRegion Outline(QSize size);

  Q_SIGNALS:
    // A double click in the top-left corner of the top strip.
    void closeRequested();
    // A double click elsewhere in the top strip.
    void toggleMaximizeRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    bool movePending_ = false;
    QPoint pressPos_;
};
