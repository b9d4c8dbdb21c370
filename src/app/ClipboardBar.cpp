#include "app/ClipboardBar.h"

#include "base/Localization.h"
#include "base/TextIds.h"
#include "browser/LinkCapture.h"
#include "retrieval/AddressRoute.h"
#include "ui/ElidedLabel.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

ClipboardBar::ClipboardBar(QWidget* parent)
    : QWidget(parent), question_(new QLabel), address_(new ElidedLabel), add_(new QPushButton),
      addAndStart_(new QPushButton), dismiss_(new QPushButton) {
    // The bar spans the window below its title area, inset like the lists.
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("clipboardBar"));
    frame->setStyleSheet(QStringLiteral("#clipboardBar { background: #fff4c8; border: 1px solid #e0c463; "
                                        "border-radius: 4px; }"
                                        "#clipboardBar QLabel { color: #3a3000; }"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(8, 6, 8, 0);
    outer->addWidget(frame);
    QFont bold = question_->font();
    bold.setBold(true);
    question_->setFont(bold);
    question_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(10, 3, 4, 3);
    row->addWidget(question_);
    row->addWidget(address_, 1);
    for (QPushButton* button : {add_, addAndStart_, dismiss_}) {
        // Clicking a button must not pull the focus out of where the user types.
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
    }
    // An answered offer is not made again, whichever the answer.
    const auto answer = [this] {
        const QString address = offered_;
        seen_.insert(address);
        Close();
        return address;
    };
    connect(add_, &QPushButton::clicked, this, [this, answer] { Q_EMIT addRequested(answer(), false); });
    connect(addAndStart_, &QPushButton::clicked, this,
            [this, answer] { Q_EMIT addRequested(answer(), true); });
    connect(dismiss_, &QPushButton::clicked, this, answer);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &ClipboardBar::OnClipboardChanged);
    Retranslate();
    hide();
}

void ClipboardBar::SetWatching(bool watching) {
    watching_ = watching;
    if (!watching)
        Close();
}

void ClipboardBar::OnClipboardChanged() {
    const QClipboard* clipboard = QApplication::clipboard();
    // What the program copied itself (an address from its own lists) is no news.
    if (!watching_ || clipboard->ownsClipboard())
        return;
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText())
        return;
    lastCopied_ = data->text();
    Consider(lastCopied_);
}

void ClipboardBar::Consider(const QString& text) {
    if (!watching_ || text.size() > kMaxAddressLength || !IsVideoPageAddress(text))
        return;
    const QString address = RouteAddress(text).address;
    if (seen_.contains(address))
        return;
    offered_ = address;
    address_->SetFullText(address);
    show();
}

void ClipboardBar::Close() {
    offered_.clear();
    hide();
}

void ClipboardBar::Retranslate() {
    question_->setText(LoadText(TextId::ClipboardOffer));
    add_->setText(LoadText(TextId::ClipboardAdd));
    addAndStart_->setText(LoadText(TextId::ClipboardAddStart));
    dismiss_->setText(LoadText(TextId::ClipboardDismiss));
}
