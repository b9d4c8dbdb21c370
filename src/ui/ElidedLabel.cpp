#include "ui/ElidedLabel.h"

#include <QFontMetrics>

#include <algorithm>

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::SetFullText(const QString& text) {
    full_ = text;
    Elide();
}

QSize ElidedLabel::minimumSizeHint() const {
    return QSize(1, QLabel::minimumSizeHint().height());
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void ElidedLabel::Elide() {
    // A little to spare: the label measures its text by the glyphs' bounds.
    const int room = contentsRect().width() - 2 * margin() - 2;
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideMiddle, std::max(0, room));
    if (shown != text())
        setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}
