#include "update/gui/CCheckUpdateDlg.h"

#include "base/AppFolders.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "ui/GuiMessageTarget.h"
#include "ui/WidgetTranslation.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QString ProductTitle() {
    return TranslateText(QLatin1String(kProductName));
}

QString VersionText(const VersionTriple& v) {
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.build);
}

// A line that keeps its place while hidden, so results do not make the
// dialog jump.
QLabel* AddLine(QVBoxLayout* column, int ctrlId) {
    auto* label = new QLabel;
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    WidgetTranslation::SetCtrlId(label, ctrlId);
    column->addWidget(label);
    return label;
}
} // namespace

CCheckUpdateDlg::CCheckUpdateDlg(bool checkNow, VersionTriple current, VersionTriple latest, QWidget* parent)
    : QDialog(parent), checkNow_(checkNow), current_(current), latest_(latest) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 20, 20, 14);
    row->setSpacing(16);
    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    row->addLayout(column, 1);
    headingLabel_ = new QLabel;
    headingLabel_->setWordWrap(true);
    QFont bold = headingLabel_->font();
    bold.setBold(true);
    headingLabel_->setFont(bold);
    WidgetTranslation::SetCtrlId(headingLabel_, kHeadingId);
    column->addWidget(headingLabel_);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addWidget(rule);
    currentLine_ = AddLine(column, kCurrentId);
    latestLine_ = AddLine(column, kLatestId);
    column->addSpacing(6);
    statusLine_ = AddLine(column, kStatusId);
    link_ = AddLine(column, kLinkId);
    link_->setTextFormat(Qt::RichText);
    link_->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link_->setOpenExternalLinks(true); // the system's default browser
    column->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    WidgetTranslation::SetCtrlId(buttons->button(QDialogButtonBox::Ok), 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addWidget(buttons);
    setMinimumWidth(520);

    const QString home = HomePage();
    link_->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(home.toHtmlEscaped(), home.toHtmlEscaped()));

    receiver_ = std::make_unique<GuiMessageTarget>(this);
    SetVersionReceiver(receiver_.get());

    const QString product = ProductTitle();
    heading_ = FillFormat(LoadText(TextId::UpdateChecking), {product});
    currentLine_->setText(FillFormat(LoadText(TextId::UpdateYourVersion), {VersionText(current_)}));
    statusLine_->setText(LoadText(TextId::UpdateNewVersion));
    if (checkNow_) {
        link_->hide();
        statusLine_->hide();
        latestLine_->hide();
        check_ = StartCheckVersionThread(current_);
    } else {
        latestLine_->setText(FillFormat(LoadText(TextId::UpdateLatestVersion), {VersionText(latest_)}));
    }
    setWindowTitle(FillFormat(LoadText(TextId::UpdateDialogTitle), {product}));
    headingLabel_->setText(heading_);
}

CCheckUpdateDlg::~CCheckUpdateDlg() {
    ReleaseReceiver();
}

QString CCheckUpdateDlg::HomePage() {
    return QStringLiteral("http://www.quillmere.example/");
}

QLabel* CCheckUpdateDlg::Control(int id) const {
    for (QLabel* label : {link_, headingLabel_, currentLine_, latestLine_, statusLine_})
        if (label->property(WidgetTranslation::kCtrlIdProperty).toInt() == id)
            return label;
    return nullptr;
}

void CCheckUpdateDlg::done(int result) {
    ReleaseReceiver();
    QDialog::done(result);
}

bool CCheckUpdateDlg::event(QEvent* event) {
    if (event->type() == PostedMessageEvent::EventType()) {
        const auto* posted = static_cast<PostedMessageEvent*>(event);
        OnVersionMessage(posted->msg, posted->wParam, posted->lParam);
        return true;
    }
    return QDialog::event(event);
}

void CCheckUpdateDlg::OnVersionMessage(int msg, qintptr wParam, qintptr lParam) {
    switch (msg) {
    case UM_VERSION_NEWER:
        latest_ = UnpackVersion(wParam, lParam);
        ShowLatest(true);
        break;
    case UM_VERSION_CURRENT:
        latest_ = UnpackVersion(wParam, lParam);
        statusLine_->setText(LoadText(TextId::UpdateUpToDate));
        ShowLatest(false);
        break;
    case UM_VERSION_FAILED:
        heading_ = FillFormat(LoadText(TextId::UpdateCheckFailed), {ProductTitle()});
        headingLabel_->setText(heading_);
        break;
    default:
        break;
    }
}

void CCheckUpdateDlg::ShowLatest(bool newer) {
    link_->setVisible(newer);
    statusLine_->show();
    latestLine_->show();
    latestLine_->setText(FillFormat(LoadText(TextId::UpdateLatestVersion), {VersionText(latest_)}));
}

void CCheckUpdateDlg::ReleaseReceiver() {
    if (!receiver_)
        return;
    // Once cleared (under the check's lock) nothing more is posted here.
    SetVersionReceiver(nullptr);
    receiver_.reset();
    // The check may still wait on the network; it owns only its own copies.
    if (check_.joinable())
        check_.detach();
}
