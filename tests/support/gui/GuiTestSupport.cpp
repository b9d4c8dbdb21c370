#include "support/gui/GuiTestSupport.h"

#include "support/XvfbDisplay.h"

#include <QAbstractButton>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QFileInfo>
#include <QLabel>
#include <QWidget>

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "zorv-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

XvfbTestEnvironment::XvfbTestEnvironment() = default;
XvfbTestEnvironment::~XvfbTestEnvironment() = default;

void XvfbTestEnvironment::SetUp() {
    display_ = std::make_unique<XvfbDisplay>();
    QString error;
    ASSERT_TRUE(display_->Start(&error)) << error.toStdString();
    qputenv("DISPLAY", display_->Name().toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
}

void XvfbTestEnvironment::TearDown() {
    display_.reset();
}

bool SaveScreenshot(QWidget& window, const QString& name, bool fromScreen) {
    const QString folder =
        qEnvironmentVariable("ZORV_TEST_BINARY_DIR", QDir::currentPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name;
    const QPixmap picture = fromScreen ? window.screen()->grabWindow(window.winId()) : window.grab();
    return picture.save(path) && QFileInfo(path).size() > 0;
}

// Labels and buttons of `page` narrower than their text needs.
QStringList CutTexts(QWidget* page) {
    QStringList cut;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else
            continue;
        if (w->isVisibleTo(page) && w->width() < w->sizeHint().width())
            cut << text;
    }
    return cut;
}
