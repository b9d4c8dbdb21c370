#include "app/AboutDlg.h"

#include "base/AppFolders.h"
#include "base/Localization.h"
#include "ui/ResourceBundle.h"
#include "ui/WidgetTranslation.h"
#include "update/CheckVersion.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDlg::AboutDlg(ResourceBundle& bundle, QWidget* parent) : QDialog(parent) {
    const QString product = TranslateText(QLatin1String(kProductName));
    const VersionTriple v = ProgramVersion();
    setWindowTitle(product);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 20, 20, 16);
    row->setSpacing(18);
    auto* logo = new QLabel;
    logo->setPixmap(bundle.Bitmap(1009, QSize(64, 64), devicePixelRatioF()));
    logo->setAlignment(Qt::AlignTop);
    auto* column = new QVBoxLayout;
    auto* name = new QLabel(QStringLiteral("<b style='font-size:14pt'>%1</b>").arg(product.toHtmlEscaped()));
    auto* version = new QLabel(QStringLiteral("Version %1.%2.%3").arg(v.major).arg(v.minor).arg(v.build));
    WidgetTranslation::SetCtrlId(version, 1001);
    auto* maker = new QLabel(QStringLiteral("Copyright \u00a9 Quillmere. All rights reserved."));
    WidgetTranslation::SetCtrlId(maker, 1002);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    WidgetTranslation::SetCtrlId(buttons->button(QDialogButtonBox::Ok), 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addWidget(name);
    column->addWidget(version);
    column->addWidget(maker);
    column->addStretch(1);
    column->addWidget(buttons);
    row->addWidget(logo);
    row->addLayout(column);
    WidgetTranslation::TranslateDialog(this, IDD);
}
