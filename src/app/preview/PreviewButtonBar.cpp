#include "app/preview/PreviewButtonBar.h"

#include "ui/ResourceBundle.h"
#include "ui/WidgetTranslation.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QToolButton>

namespace {
constexpr int kGlyph = 24; // one picture of the strip, square
constexpr int kIconSide = 20;

const char* const kStyle = R"(
QToolButton { border: 1px solid transparent; border-radius: 5px; background: transparent; }
QToolButton:hover:enabled { background: rgba(255,255,255,0.10); border-color: rgba(255,255,255,0.16); }
QToolButton:pressed { background: rgba(224,102,47,0.30); }
)";
} // namespace

PreviewButtonBar::PreviewButtonBar(ResourceBundle& bundle, QWidget* parent)
    : QWidget(parent), bundle_(bundle) {
    WidgetTranslation::SetCtrlId(this, kCtrlId);
    setStyleSheet(QLatin1String(kStyle));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setFixedSize(35, 30);
        button->setIconSize(QSize(kIconSide, kIconSide));
        button->setEnabled(false);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, i] {
            // The bar shows the press before the (possibly slow) action runs.
            repaint();
            Q_EMIT buttonClicked(i);
        });
        buttons_[i] = button;
        row->addWidget(button);
    }
    row->addStretch(1);
    ReloadImages();
}

void PreviewButtonBar::ReloadImages() {
    const qreal dpr = devicePixelRatioF();
    const QPixmap strip = bundle_.Bitmap(kStripBitmap, QSize(kGlyph * kButtonCount, kGlyph), dpr);
    if (strip.isNull())
        return;
    const int side = qRound(kGlyph * dpr);
    for (int i = 0; i < kButtonCount; ++i) {
        QPixmap glyph = strip.copy(i * side, 0, side, side);
        glyph.setDevicePixelRatio(dpr);
        buttons_[i]->setIcon(QIcon(glyph));
    }
}

void PreviewButtonBar::SetButtonEnabled(int index, bool enabled) {
    buttons_[index]->setEnabled(enabled);
}

bool PreviewButtonBar::IsButtonEnabled(int index) const {
    return buttons_[index]->isEnabled();
}
