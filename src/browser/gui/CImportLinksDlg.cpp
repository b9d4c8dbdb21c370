#include "browser/gui/CImportLinksDlg.h"

#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "browser/LinkCapture.h"
#include "ui/WidgetTranslation.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

namespace {
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

QStringList PickWithFileDialog(QWidget* parent, const QString& filter) {
    // The last folder picked from is offered again while the program runs.
    static QString lastFolder;
    const QStringList files = QFileDialog::getOpenFileNames(parent, QString(), lastFolder, filter);
    if (!files.isEmpty())
        lastFolder = QFileInfo(files.last()).absolutePath();
    return files;
}

QString ReceivedText(qint64 bytes) {
    return FillFormat(LoadText(TextId::ImportReceived), {QLocale().toString(bytes)});
}
} // namespace

QString CImportLinksDlg::FileFilter() {
    return QStringLiteral("Text/HTML Files (all types) (*.txt *.html *.htm);;Text Files (*.txt);;"
                          "HTML Files (*.html *.htm);;All Files (*)");
}

CImportLinksDlg::CImportLinksDlg(QWidget* parent)
    : QDialog(parent), pickFiles(PickWithFileDialog), address_(new QLineEdit(this)),
      browse_(new QPushButton(TranslateText(QStringLiteral("&Browse...")), this)) {
    setWindowTitle(TranslateText(QStringLiteral("Import links")));
    setMinimumWidth(520);

    auto* prompt = new QLabel(
        TranslateText(QStringLiteral("Address of a web page, or a saved page or text file:")), this);
    prompt->setBuddy(address_);
    WidgetTranslation::SetCtrlId(prompt, kPromptCtrlId);
    WidgetTranslation::SetCtrlId(address_, kAddressCtrlId);
    WidgetTranslation::SetCtrlId(browse_, kBrowseCtrlId);
    address_->setPlaceholderText(QStringLiteral("https://"));
    browse_->setAutoDefault(false);
    connect(browse_, &QPushButton::clicked, this, &CImportLinksDlg::Browse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    WidgetTranslation::SetCtrlId(buttons->button(QDialogButtonBox::Ok), kIdOk);
    WidgetTranslation::SetCtrlId(buttons->button(QDialogButtonBox::Cancel), kIdCancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(address_, 1);
    row->addWidget(browse_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    WidgetTranslation::TranslateDialog(this, kTemplateId);
    // Wider is useful for long addresses; taller is not.
    setMaximumHeight(sizeHint().height());
    address_->setFocus();
}

QString CImportLinksDlg::Address() const {
    return address_->text();
}

void CImportLinksDlg::Browse() {
    // Each picked path in turn becomes the address: the last one stays.
    for (const QString& path : pickFiles(this, FileFilter()))
        address_->setText(path);
}

void CImportLinksDlg::accept() {
    links_.clear();
    std::atomic<bool> stop{false};
    std::atomic<qint64> received{0};
    FetchControl control;
    control.stopRequested = [&stop] { return stop.load(); };
    control.received = [&received](qint64 bytes) { received = bytes; };

    // Window-modal: neither this dialog nor the window take input meanwhile,
    // but both go on painting and handling their events.
    QProgressDialog progress(ReceivedText(0), TranslateText(QStringLiteral("Cancel")), 0, 0, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    connect(&progress, &QProgressDialog::canceled, this, [&stop] { stop = true; });
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&] { progress.setLabelText(ReceivedText(received)); });
    tick.start(100);
    progress.show();

    QEventLoop loop;
    ImportResult result;
    std::thread worker([&, address = Address()] {
        result = ImportVideoLinks(address, control);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    tick.stop();
    progress.hide();
    if (stop) {
        QDialog::reject();
        return;
    }
    links_ = result.links;
    QDialog::accept();
}
