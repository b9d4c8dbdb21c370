#include "app/ZorvApp.h"

#include "app/CTrevaloDlg.h"
#include "app/SingleInstance.h"
#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/CZVRegistry.h"
#include "base/InterfaceFonts.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "history/HistoryDb.h"
#include "history/SqliteConnection.h"
#include "platform/UserPrompts.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QProcessEnvironment>
#include <QSysInfo>
#include <QVersionNumber>

PlatformChoice ChooseQtPlatform(const QProcessEnvironment& env) {
    const auto set = [&env](const char* name) { return !env.value(QLatin1String(name)).isEmpty(); };
    const bool wayland =
        set("WAYLAND_DISPLAY") || env.value(QStringLiteral("XDG_SESSION_TYPE"))
                                          .compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    if (!wayland || set("QT_QPA_PLATFORM"))
        return {};
    if (set("DISPLAY"))
        return {QByteArrayLiteral("xcb"),
                QStringLiteral("Wayland session: the window runs through XWayland (xcb) so the preview can "
                               "show mplayer inside it")};
    return {QByteArray(), QStringLiteral("Wayland session without an X server: the preview plays in "
                                         "mplayer's own window")};
}

ZorvApp::ZorvApp(UserPrompts& prompts, PowerControl& power, QString bundlePath)
    : prompts_(prompts), power_(power),
      bundlePath_(bundlePath.isEmpty() ? ResourceBundle::DefaultPath() : std::move(bundlePath)) {}

ZorvApp::~ZorvApp() {
    ExitInstance();
}

void ZorvApp::LogSystemVersion() {
    // The kernel's version stands in for the system version; there is no
    // service-pack text, so the product name is logged in its place.
    const QVersionNumber kernel = QVersionNumber::fromString(QSysInfo::kernelVersion());
    if (kernel.isNull())
        return;
    LogInfo("main", "Windows Version Information:");
    LogInfo("main", "\tMajor Version = %d", kernel.majorVersion());
    LogInfo("main", "\tMinor Version = %d", kernel.minorVersion());
    LogInfo("main", "\tBuild Number = %d", kernel.microVersion());
    LogInfo("main", "\tPlatform Id = %d", 0);
    LogInfoW("main", QStringLiteral("\tVersion  = %1").arg(QSysInfo::prettyProductName().left(127)));
}

void ZorvApp::ApplyInterfaceFonts() {
    const QStringList families = QFontDatabase::families();
    const InterfaceFonts fonts = ChooseInterfaceFonts([&](const QString& family) {
        return gdiplusAvailable_ && families.contains(family, Qt::CaseSensitive);
    });
    QFont font(fonts.uiFontName);
    const qreal base = QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : 9.0;
    font.setPointSizeF(base * (fonts.uiFontScale > 0 ? fonts.uiFontScale : 1.0));
    QApplication::setFont(font);
}

bool ZorvApp::InitInstance() {
    InitLog(GetDataFolder() + QStringLiteral("/ruzivar.log"));
    LogSystemVersion();
    for (const QString& note : startupNotes_)
        LogInfoW("main", note);

    const QString product = QLatin1String(kProductName);
    LogInfoW("main", QStringLiteral("Loading program %1 ...").arg(product));
    LogInfoW("main", QStringLiteral("Loading resource dll [%1] ...").arg(bundlePath_));
    if (!bundle_.Load(bundlePath_)) {
        prompts_.ShowMessage(QLatin1String(kMissingBundleText), UserPrompts::Icon::None);
        return false;
    }
    LogInfo("main", "Set resource handle as resource DLL successfully.");

    QString setAside; // an unreadable history, kept under this name
    OpenHistoryDB(history_, &setAside);
    LogInfoW("main", QStringLiteral("Loading program %1 ...").arg(product));
    AppSettings& settings = Settings();
    // Sockets need no start-up here; the transport initialises its library.
    LogInfo("main", "Winsock and OLE initialized.");
    QCoreApplication::setOrganizationName(QLatin1String(CZVRegistry::kCompanyKey));
    QCoreApplication::setApplicationName(product);
    LogInfo("main", "Common controls and shell manager initialized.");
    LogInfo("main", "BCG library initialized.");
    LogInfo("main", "Loading profiles...");
    settings.Load();
    settings.Publish();
    LogInfo("main", "Starting main dialog ...");
    ApplyInterfaceFonts();
    SelectLanguage(settings.LangID);
    if (!setAside.isEmpty())
        prompts_.ShowMessage(FillFormat(LoadText(TextId::HistorySetAside), {setAside}),
                             UserPrompts::Icon::Warning);
    return true;
}

int ZorvApp::RunMainWindow() {
    {
        CTrevaloDlg dialog(Settings(), prompts_, power_, bundle_, history_.get());
        if (instance_)
            instance_->DeliverTo(dialog);
        if (!startItems_.isEmpty())
            dialog.OpenItems(startItems_);
        dialog.exec();
        LogInfo("main", "Exiting...");
        ShutdownLog();
        // The window (and with it a running worker) goes here, after the log.
    }
    return 0;
}

void ZorvApp::ExitInstance() {
    if (history_) {
        history_->Close();
        history_.reset();
    }
    bundle_.Unload();
}
