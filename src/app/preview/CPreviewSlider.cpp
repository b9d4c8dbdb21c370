#include "app/preview/CPreviewSlider.h"

#include "ui/ResourceBundle.h"
#include "ui/WidgetTranslation.h"

#include <QMouseEvent>
#include <QPainter>

CPreviewSlider::CPreviewSlider(ResourceBundle& bundle, QWidget* parent) : QWidget(parent), bundle_(bundle) {
    WidgetTranslation::SetCtrlId(this, kCtrlId);
    setCursor(Qt::PointingHandCursor);
}

QRect CPreviewSlider::RangeRect() const {
    if (length_ == 0)
        return {};
    const qint64 w = width();
    const int x = static_cast<int>(w * markIn_ / length_);
    const int span = static_cast<int>((static_cast<qint64>(markOut_) - markIn_) * w / length_);
    // A range whose end lies before its start is drawn between the two.
    return QRect(x, 0, span, height()).normalized();
}

int CPreviewSlider::ThumbX() const {
    const int x = length_ == 0 ? 0 : width() * position_ / 100;
    return std::max(0, std::min(x, width() - kThumbWidth));
}

void CPreviewSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal dpr = devicePixelRatioF();
    painter.fillRect(rect(), Qt::white);
    painter.drawPixmap(rect(), bundle_.Bitmap(kBarBitmap, size(), dpr));
    const QRect range = RangeRect();
    if (range.width() > 0)
        painter.drawPixmap(range, bundle_.Bitmap(kRangeBitmap, range.size(), dpr));
    const QSize thumb(kThumbWidth, height());
    painter.drawPixmap(QRect(QPoint(ThumbX(), 0), thumb), bundle_.Bitmap(kThumbBitmap, thumb, dpr));
}

void CPreviewSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (enabled_ && width() > 0) {
        position_ = std::clamp(event->position().toPoint().x() * 100 / width(), 0, 100);
        update();
        Q_EMIT positionClicked(position_);
        return;
    }
    update();
}
