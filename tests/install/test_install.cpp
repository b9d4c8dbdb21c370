// The program as a user gets it: `cmake --install` into a fresh prefix and
// the Debian package unpacked into a scratch root. Both must hold the same
// layout, and the installed programs must find their files when started
// through the links in bin/.
#include "support/EndProcess.h"
#include "support/SessionBus.h"
#include "support/WaitFor.h"
#include "support/XvfbDisplay.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {
QString BuildDir() {
    return qEnvironmentVariable("ZORV_TEST_BINARY_DIR");
}

struct Ran {
    int exitCode = -1;
    QString out;
};

// Runs a program to its end (or kills it at the time-out), output and errors merged.
Ran RunProgram(const QString& program, const QStringList& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
               int timeoutMs = 300000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        return {-1, QStringLiteral("did not finish: ") + program + QString::fromUtf8(p.readAll())};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

// A user's own home, settings and data folders below `home`; the update
// host is routed to a closed port so no run reaches out.
QProcessEnvironment UserEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DESTDIR"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("ZORV_CONNECT_TO"), QStringLiteral("update.quillmere.example:80:127.0.0.1:1"));
    return env;
}

const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Checks one installation below `prefix` (/usr of the package, or the prefix
// given to cmake --install).
void ExpectLayout(const QString& prefix) {
    SCOPED_TRACE(prefix.toStdString());
    // bin/ holds relative links, so the tree can be moved or unpacked anywhere.
    for (const char* program : {"zorv", "zorv-get"}) {
        const QString link = prefix + QStringLiteral("/bin/") + QLatin1String(program);
        const QFileInfo info(link);
        EXPECT_TRUE(info.isSymLink()) << link.toStdString();
        std::error_code ec;
        EXPECT_EQ(std::filesystem::read_symlink(QFile::encodeName(link).toStdString(), ec).string(),
                  std::string("../lib/zorv/") + program);
        EXPECT_TRUE(info.isExecutable()) << link.toStdString();
    }
    QStringList files = {QStringLiteral("lib/zorv/qxres_zorv.rcc"),
                         QStringLiteral("lib/zorv/modules/zorv_webdialogs.so"),
                         QStringLiteral("share/applications/zorv.desktop"),
                         QStringLiteral("share/icons/hicolor/scalable/apps/zorv.svg")};
    for (const QString& dir : {QStringLiteral("lang.qx.zorv"), QStringLiteral("help")}) {
        const QString source = qEnvironmentVariable("ZORV_SOURCE_DIR") + QStringLiteral("/resources/") + dir;
        QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QStringLiteral("lib/zorv/%1/%2").arg(dir, QDir(source).relativeFilePath(it.next()));
    }
    EXPECT_TRUE(files.contains(QStringLiteral("lib/zorv/help/intro.html")));
    EXPECT_TRUE(files.contains(QStringLiteral("lib/zorv/lang.qx.zorv/language_lookup.ini")));
    for (const QString& file : files)
        EXPECT_TRUE(QFileInfo(prefix + QLatin1Char('/') + file).isFile()) << file.toStdString();
    for (int size : kIconSizes) {
        const QString png = prefix + QStringLiteral("/share/icons/hicolor/%1x%1/apps/zorv.png").arg(size);
        EXPECT_EQ(QImageReader(png).size(), QSize(size, size)) << png.toStdString();
    }

    // Nothing lands outside the program's own places.
    const QStringList places = {"bin/zorv",
                                "lib/zorv/",
                                "share/applications/zorv.desktop",
                                "share/icons/hicolor/",
                                "share/man/man1/zorv",
                                "share/doc/zorv/"};
    QDirIterator all(prefix, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (all.hasNext()) {
        const QString entry = QDir(prefix).relativeFilePath(all.next());
        EXPECT_TRUE(std::any_of(places.begin(), places.end(), [&](const QString& p) {
            return entry.startsWith(p);
        })) << entry.toStdString();
    }

    // The menu entry starts a program bin/ has and shows the installed icon.
    QFile desktop(prefix + QStringLiteral("/share/applications/zorv.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(desktop.readAll());
    const auto value = [&](const char* key) {
        const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(QLatin1String(key)),
                                      QRegularExpression::MultilineOption);
        return line.match(entry).captured(1).trimmed();
    };
    EXPECT_TRUE(entry.startsWith(QLatin1String("[Desktop Entry]\n")));
    EXPECT_EQ(value("Type"), QStringLiteral("Application"));
    EXPECT_EQ(value("Name"), QStringLiteral("Zorv YouTube Downloader"));
    // Exec names the program and hands it the addresses and files dropped on the entry.
    EXPECT_EQ(value("Exec").section(QLatin1Char(' '), 1), QStringLiteral("%U"));
    const QString program = value("Exec").section(QLatin1Char(' '), 0, 0);
    EXPECT_TRUE(QFileInfo::exists(prefix + QStringLiteral("/bin/") + program)) << program.toStdString();
    EXPECT_TRUE(QFileInfo::exists(prefix + QStringLiteral("/share/icons/hicolor/scalable/apps/") +
                                  value("Icon") + QStringLiteral(".svg")));
}

// zorv-get --help through the bin/ link documents every option and the exit codes.
void ExpectCommandLineHelp(const QString& prefix, const QString& home) {
    const Ran help = RunProgram(prefix + QStringLiteral("/bin/zorv-get"), {QStringLiteral("--help")},
                                UserEnvironment(home));
    EXPECT_EQ(help.exitCode, 0) << help.out.toStdString();
    for (const char* text : {"Usage: zorv-get", "--output", "--retries", "--use-title", "--format", "--quiet",
                             "--import", "--history", "--check-update", "--help", "Exit status: 0"})
        EXPECT_TRUE(help.out.contains(QLatin1String(text))) << text << "\n" << help.out.toStdString();
}
// Started through bin/zorv (on its own display and session bus), the
// program finds its bundle in lib/zorv/ and brings its window up; a second
// `zorv ADDRESS` hands the address to that window and ends.
void ExpectDesktopProgramStartsAndTakesAnAddress(const QString& prefix, const QString& home) {
    SCOPED_TRACE(prefix.toStdString());
    XvfbDisplay display;
    QString error;
    ASSERT_TRUE(display.Start(&error)) << error.toStdString();
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.Start(&error)) << error.toStdString();
    QProcessEnvironment env = UserEnvironment(home);
    env.insert(QStringLiteral("DISPLAY"), display.Name());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.Address());
    const QString log = home + QStringLiteral("/.local/share/Zorv YouTube Downloader/ruzivar.log");
    const auto logText = [&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };

    QProcess zorv;
    zorv.setProcessEnvironment(env);
    zorv.setProcessChannelMode(QProcess::ForwardedChannels);
    zorv.start(prefix + QStringLiteral("/bin/zorv"), {});
    ASSERT_TRUE(zorv.waitForStarted(10000));
    const bool initialized = WaitFor(
        [&] {
            return logText().contains(QLatin1String("Main dialog initialized.")) || zorv.waitForFinished(20);
        },
        std::chrono::seconds(60));
    const Ran second = RunProgram(prefix + QStringLiteral("/bin/zorv"),
                                  {QStringLiteral("http://www.youtube.com/watch?v=zvNormal001")}, env, 30000);
    const bool handedOver =
        WaitFor([&] { return logText().contains(QLatin1String("Opening 1 address(es) and 0 file(s)")); });
    const bool stillRunning = zorv.state() == QProcess::Running;
    EndProcess(zorv);
    const QString text = logText();
    ASSERT_TRUE(initialized) << text.toStdString();
    EXPECT_TRUE(stillRunning) << text.toStdString();
    EXPECT_EQ(second.exitCode, 0) << second.out.toStdString();
    EXPECT_TRUE(handedOver) << text.toStdString();
    EXPECT_EQ(text.count(QLatin1String("Main dialog initialized.")), 1) << "the second start opened a window";
    const QString bundle = QFileInfo(prefix + QStringLiteral("/lib/zorv")).canonicalFilePath() +
                           QStringLiteral("/qxres_zorv.rcc");
    EXPECT_TRUE(text.contains(QStringLiteral("Loading resource dll [%1] ...").arg(bundle)))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String("Cannot load main menu"))) << text.toStdString();
}
} // namespace

class Installed : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scratch_ = std::make_unique<QTemporaryDir>();
        prefix_ = scratch_->path() + QStringLiteral("/prefix");
        const Ran install =
            RunProgram(QStringLiteral(ZORV_CMAKE_COMMAND),
                       {QStringLiteral("--install"), BuildDir(), QStringLiteral("--prefix"), prefix_},
                       UserEnvironment(scratch_->path()));
        installed_ = install.exitCode == 0;
        if (!installed_)
            installLog_ = install.out;
    }
    static void TearDownTestSuite() { scratch_.reset(); }
    void SetUp() override { ASSERT_TRUE(installed_) << installLog_.toStdString(); }

    static std::unique_ptr<QTemporaryDir> scratch_;
    static QString prefix_;
    static bool installed_;
    static QString installLog_;
};
std::unique_ptr<QTemporaryDir> Installed::scratch_;
QString Installed::prefix_;
bool Installed::installed_ = false;
QString Installed::installLog_;

TEST_F(Installed, HoldsTheLayoutAndTheCommandLineProgramRuns) {
    ExpectLayout(prefix_);
    ExpectCommandLineHelp(prefix_, scratch_->path() + QStringLiteral("/home-cli"));
}

TEST_F(Installed, DesktopProgramStartsThroughItsLinkAndTakesAnAddress) {
    ExpectDesktopProgramStartsAndTakesAnAddress(prefix_, scratch_->path() + QStringLiteral("/home-gui"));
}

// cpack -G DEB: the package names its runtime packages and unpacks into the
// same layout below /usr, and its zorv-get runs from there.
TEST(DebianPackage, NamesItsRuntimePackagesAndUnpacksIntoTheLayout) {
    QTemporaryDir scratch;
    const QString out = scratch.path() + QStringLiteral("/out");
    const QProcessEnvironment env = UserEnvironment(scratch.path() + QStringLiteral("/home"));
    const Ran pack =
        RunProgram(QStringLiteral(ZORV_CPACK_COMMAND),
                   {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                    BuildDir() + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"), out},
                   env);
    ASSERT_EQ(pack.exitCode, 0) << pack.out.toStdString();
    const QStringList debs = QDir(out).entryList({QStringLiteral("zorv_*.deb")}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << debs.join(QLatin1Char(' ')).toStdString();
    const QString deb = out + QLatin1Char('/') + debs.first();

    const auto field = [&](const char* name) {
        return RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QLatin1String(name)})
            .out.trimmed();
    };
    EXPECT_EQ(field("Package"), QStringLiteral("zorv"));
    EXPECT_EQ(field("Version"), QStringLiteral("%1.%2.%3.%4")
                                    .arg(ZORV_VERSION_MAJOR)
                                    .arg(ZORV_VERSION_MINOR)
                                    .arg(ZORV_VERSION_PATCH)
                                    .arg(ZORV_VERSION_TWEAK));
    QStringList depends;
    for (const QString& item : field("Depends").split(QLatin1Char(','), Qt::SkipEmptyParts))
        depends << item.section(QLatin1Char('('), 0, 0).trimmed();
    for (const char* runtime :
         {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6svg6", "qt6-qpa-plugins",
          "libqt6webenginewidgets6", "libcurl4", "libsqlite3-0", "liblog4cpp5v5", "mplayer"})
        EXPECT_TRUE(depends.contains(QLatin1String(runtime)))
            << runtime << ": " << depends.join(", ").toStdString();
    // The other sites need yt-dlp (and ffmpeg to join its streams), but the four do not.
    const QStringList recommends = field("Recommends").split(QStringLiteral(", "));
    for (const char* helper : {"yt-dlp", "ffmpeg"})
        EXPECT_TRUE(recommends.contains(QLatin1String(helper)))
            << helper << ": " << recommends.join(", ").toStdString();

    const QString root = scratch.path() + QStringLiteral("/root");
    const Ran unpack = RunProgram(QStringLiteral("dpkg"), {QStringLiteral("-x"), deb, root});
    ASSERT_EQ(unpack.exitCode, 0) << unpack.out.toStdString();
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("usr")});
    ExpectLayout(root + QStringLiteral("/usr"));
    // What Debian asks of every package: the copyright, the changelog and the manual pages.
    for (const char* document : {"share/doc/zorv/copyright", "share/doc/zorv/changelog.gz",
                                 "share/man/man1/zorv.1.gz", "share/man/man1/zorv-get.1.gz"})
        EXPECT_TRUE(QFileInfo(root + QStringLiteral("/usr/") + QLatin1String(document)).isFile()) << document;
    ExpectCommandLineHelp(root + QStringLiteral("/usr"), scratch.path() + QStringLiteral("/home"));
    ExpectDesktopProgramStartsAndTakesAnAddress(root + QStringLiteral("/usr"),
                                                scratch.path() + QStringLiteral("/home-gui"));
}
