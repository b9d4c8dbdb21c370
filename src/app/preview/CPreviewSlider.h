#pragma once
// The preview's position bar: a background track, the marked range and the
// thumb, all drawn from bundle pictures. A left click while enabled moves
// the thumb to the clicked percent and reports it; there is no dragging.
//
// Threads: main thread only.

#include <QPixmap>
#include <QWidget>

class ResourceBundle;

class CPreviewSlider : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kCtrlId = 1417;
    static constexpr int kBarBitmap = 168, kRangeBitmap = 163, kThumbBitmap = 169;
    static constexpr int kThumbWidth = 9;

    CPreviewSlider(ResourceBundle& bundle, QWidget* parent = nullptr);

    int Position() const { return position_; } // percent, 0 to 100
    void SetPosition(int percent) { position_ = percent; }
    int MarkIn() const { return markIn_; } // ms
    int MarkOut() const { return markOut_; }
    void SetMarkIn(int ms) { markIn_ = ms; }
    void SetMarkOut(int ms) { markOut_ = ms; }
    int Length() const { return length_; } // ms; 0 without a task
    void SetLength(int ms) { length_ = ms; }
    bool IsBarEnabled() const { return enabled_; }
    void SetBarEnabled(bool enabled) { enabled_ = enabled; }

    // Where the range and the thumb are drawn, for the current width.
    QRect RangeRect() const;
    int ThumbX() const;

  Q_SIGNALS:
    // A click moved the thumb to `percent`.
    void positionClicked(int percent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    ResourceBundle& bundle_;
    int position_ = 0;
    int markIn_ = 0;
    int markOut_ = 0;
    int length_ = 0;
    bool enabled_ = false;
};
