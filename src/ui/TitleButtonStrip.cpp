#include "ui/TitleButtonStrip.h"

#include <QHBoxLayout>
#include <QToolButton>

TitleButtonStrip::TitleButtonStrip(QWidget* parent) : QWidget(parent), layout_(new QHBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(2);
    setObjectName(QStringLiteral("titleButtonStrip"));
    setStyleSheet(QStringLiteral("QToolButton { border: none; border-radius: 6px; background: transparent; }"
                                 "QToolButton:hover { background: rgba(255,255,255,0.14); }"
                                 "QToolButton:pressed { background: rgba(255,255,255,0.24); }"
                                 "QToolButton[stripKind=\"window\"] { border-radius: 4px; }"
                                 "QToolButton[stripKind=\"close\"] { border-radius: 4px; }"
                                 "QToolButton[stripKind=\"close\"]:hover { background: #e0452b; }"));
}

void TitleButtonStrip::AddButton(int number, Kind kind, const QIcon& icon, const QString& toolTip) {
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("stripButton%1").arg(number));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(icon);
    button->setToolTip(toolTip);
    const bool command = kind == Kind::Command;
    button->setProperty("stripKind", command                ? QStringLiteral("command")
                                     : kind == Kind::Window ? QStringLiteral("window")
                                                            : QStringLiteral("close"));
    button->setIconSize(command ? QSize(22, 22) : QSize(18, 18));
    button->setFixedSize(command ? QSize(34, 30) : QSize(34, 26));
    connect(button, &QToolButton::clicked, this, [this, number] { Q_EMIT buttonPressed(number); });
    layout_->addWidget(button);
    buttons_.insert(number, button);
}

void TitleButtonStrip::AddSpacing(int pixels) {
    layout_->addSpacing(pixels);
}

void TitleButtonStrip::SetIcon(int number, const QIcon& icon) {
    if (QToolButton* b = buttons_.value(number))
        b->setIcon(icon);
}

void TitleButtonStrip::SetToolTip(int number, const QString& toolTip) {
    if (QToolButton* b = buttons_.value(number))
        b->setToolTip(toolTip);
}

void TitleButtonStrip::SetButtonEnabled(int number, bool enabled) {
    if (QToolButton* b = buttons_.value(number))
        b->setEnabled(enabled);
}

bool TitleButtonStrip::IsButtonEnabled(int number) const {
    const QToolButton* b = buttons_.value(number);
    return b && b->isEnabled();
}
