#include "ui/ImageButtonStrip.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void ImageButton::SetStatePixmaps(const std::array<QPixmap, 4>& pixmaps) {
    pixmaps_ = pixmaps;
    update();
}

QSize ImageButton::sizeHint() const {
    return minimumSize().isValid() ? minimumSize() : QSize(16, 16);
}

void ImageButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    State state = Normal;
    if (!isEnabled())
        state = Disabled;
    else if (isDown())
        state = Pressed;
    else if (hovered_)
        state = Hover;
    const QPixmap& face = pixmaps_[state].isNull() ? pixmaps_[Normal] : pixmaps_[state];
    if (!face.isNull())
        painter.drawPixmap(rect(), face);

    // Icon and caption centred together on the face.
    const QSize iconArea = icon().isNull() ? QSize() : iconSize();
    const QString caption = text();
    const int gap = (!iconArea.isEmpty() && !caption.isEmpty()) ? 4 : 0;
    const int textWidth = caption.isEmpty() ? 0 : fontMetrics().horizontalAdvance(caption);
    const int available = width() - 6;
    const int total = std::min(available, iconArea.width() + gap + textWidth);
    int x = (width() - total) / 2 + (isDown() ? 1 : 0);
    const int dy = isDown() ? 1 : 0;
    if (!iconArea.isEmpty()) {
        icon().paint(&painter, QRect(QPoint(x, (height() - iconArea.height()) / 2 + dy), iconArea),
                     Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        x += iconArea.width() + gap;
    }
    if (!caption.isEmpty()) {
        painter.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        const QRect textRect(x, dy, width() - x - 3, height());
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(caption, Qt::ElideRight, textRect.width()));
    }
}

ImageButtonStrip::ImageButtonStrip(QWidget* parent) : QWidget(parent), layout_(new QHBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(3);
}

ImageButton* ImageButtonStrip::AddButton(int number, QSize size, int stretch) {
    auto* button = new ImageButton(this);
    button->setMinimumSize(size);
    button->setSizePolicy(stretch ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (!stretch)
        button->setFixedSize(size);
    connect(button, &QAbstractButton::clicked, this, [this, number] { Q_EMIT buttonClicked(number); });
    layout_->addWidget(button, stretch);
    buttons_.insert(number, button);
    return button;
}

void ImageButtonStrip::SetMargins(int left, int top, int right, int bottom) {
    layout_->setContentsMargins(left, top, right, bottom);
}

void ImageButtonStrip::SetSpacing(int pixels) {
    layout_->setSpacing(pixels);
}
