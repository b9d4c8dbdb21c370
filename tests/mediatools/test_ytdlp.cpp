// The yt-dlp runner against the real yt-dlp and the simulator's generic host
// on 127.0.0.1, and against stand-in scripts for what the real tool cannot be
// made to do (hang, print garbage, meet a bot check).

#include "base/AppLog.h"
#include "mediatools/CYtDlpOpts.h"
#include "mediatools/YtDlpRunner.h"

#include "ScriptTool.h"
#include "support/SimulatorSuite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <chrono>
#include <optional>

namespace {
using Clock = std::chrono::steady_clock;

std::string Std(const QString& s) {
    return s.toStdString();
}

qint64 MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Sets an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QString& value) : name_(name) {
        if (!value.isNull())
            qputenv(name, value.toUtf8());
    }
    ~ScopedEnv() { qunsetenv(name_); }

  private:
    const char* name_;
};

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

struct Recorded {
    std::vector<YtDlpProgress> progress;
    QStringList status;
    YtDlpCallbacks Callbacks() {
        return {[this](const YtDlpProgress& p) { progress.push_back(p); },
                [this](const QString& s) { status << s; }, nullptr};
    }
    int LastPerMille() const { return progress.empty() ? -1 : progress.back().perMille; }
};
} // namespace

// ---- what needs no site --------------------------------------------------

TEST(YtDlpVersionAge, OlderThanNinetyDaysCountsAsOutdated) {
    struct Case {
        const char* version;
        QDate today;
        std::optional<bool> outdated;
    } cases[] = {
        {"2023.03.04", QDate(2023, 6, 2), false}, // 90 days
        {"2023.03.04", QDate(2023, 6, 3), true},  // 91 days
        {"2023.03.04.1", QDate(2023, 3, 10), false},      {"2023.03.04.1", QDate(2024, 1, 1), true},
        {"2023.02.30", QDate(2024, 1, 1), std::nullopt},  {"2023.3.4", QDate(2024, 1, 1), std::nullopt},
        {"v2023.03.04", QDate(2024, 1, 1), std::nullopt}, {"", QDate(2024, 1, 1), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(YtDlpTool::IsOutdated(c.version, c.today), c.outdated) << c.version;
}

TEST(YtDlpErrors, ErrorLinesBecomeOneReadableLineOfTheRightKind) {
    struct Case {
        const char* line;
        bool siteSetCookies;
        const char* text;
        YtDlpErrorKind kind;
    } cases[] = {
        {"ERROR: [youtube] x: Sign in to confirm you\xe2\x80\x99re not a bot", false,
         "[youtube] x: Sign in to confirm you\xe2\x80\x99re not a bot", YtDlpErrorKind::SignInNeeded},
        {"ERROR: [x] 1: This video is only available for registered users", false,
         "[x] 1: This video is only available for registered users", YtDlpErrorKind::SignInNeeded},
        {"ERROR: [x] 1: HTTP Error 401: Unauthorized", false, "[x] 1: HTTP Error 401: Unauthorized",
         YtDlpErrorKind::SignInNeeded},
        {"ERROR: [generic] None: Unable to download webpage: HTTP Error 403: Forbidden (caused by x); "
         "please report this issue on  https://example.invalid/issues",
         true, "[generic] None: Unable to download webpage: HTTP Error 403: Forbidden (caused by x)",
         YtDlpErrorKind::SignInNeeded},
        {"ERROR: [generic] None: HTTP Error 403: Forbidden", false,
         "[generic] None: HTTP Error 403: Forbidden", YtDlpErrorKind::Other},
        {"ERROR: Unsupported URL: http://x.invalid/", false, "Unsupported URL: http://x.invalid/",
         YtDlpErrorKind::Unsupported},
        {"ERROR: bad\x1b[0m\tname", false, "bad\\x1b[0m\\x09name", YtDlpErrorKind::Other},
    };
    for (const Case& c : cases) {
        const QString text = CleanYtDlpError(QString::fromUtf8(c.line));
        EXPECT_EQ(Std(text), c.text);
        EXPECT_EQ(ClassifyYtDlpError(text, c.siteSetCookies), c.kind) << c.line;
    }
    EXPECT_EQ(CleanYtDlpError(QString(2000, u'x')).size(), kMaxErrorChars);
}

class YtDlpToolTest : public TempDirTest {
  protected:
    QString Script(const char* name, const QByteArray& body) { return WriteScriptTool(Path(name), body); }
};

TEST(YtDlpVideoInfoLine, FieldsReadInOrderWithTheTitleLast) {
    const std::optional<YtDlpVideoInfo> one =
        ParseYtDlpVideoInfo(u"zorv-info HTML5MediaEmbed NA NA mp4 clip-one-1 A title  with spaces");
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(Std(one->site), "HTML5MediaEmbed");
    EXPECT_EQ(one->pageEntries, 0);
    EXPECT_EQ(one->pageIndex, 0);
    EXPECT_EQ(Std(one->ext), "mp4");
    EXPECT_EQ(Std(one->id), "clip-one-1");
    EXPECT_EQ(Std(one->title), "A title  with spaces");

    const std::optional<YtDlpVideoInfo> entry = ParseYtDlpVideoInfo(u"zorv-info Generic 3 2 webm three-2 NA");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->pageEntries, 3);
    EXPECT_EQ(entry->pageIndex, 2);
    EXPECT_EQ(Std(entry->title), "");

    EXPECT_FALSE(ParseYtDlpVideoInfo(u"zorv-info Generic 3 2 webm").has_value());
    EXPECT_FALSE(ParseYtDlpVideoInfo(u"zorv-progress downloading 1 2 NA NA").has_value());
}

TEST_F(YtDlpToolTest, VersionTellsMissingBrokenAndWorkingToolsApart) {
    using S = YtDlpVersion::Status;
    struct Case {
        const char* name;
        QString program;
        S status;
        const char* version;
        int timeoutMs;
    } cases[] = {
        {"real", QString(), S::Ok, "2023.03.04", YtDlpTool::kVersionTimeoutMs},
        {"missing", Path("no-such-tool"), S::Missing, "", 1000},
        {"failing", Script("failing", "echo 2023.03.04; exit 3"), S::Broken, "", 1000},
        {"garbage", Script("garbage", "echo 'Python 3.11 traceback'"), S::Broken, "", 1000},
        {"hanging", Script("hanging", "exec sleep 30"), S::Broken, "", 1000},
    };
    for (const Case& c : cases) {
        const auto start = Clock::now();
        const YtDlpVersion v = YtDlpTool(c.program).Version(c.timeoutMs);
        EXPECT_EQ(v.status, c.status) << c.name << ": " << Std(v.error);
        EXPECT_EQ(Std(v.version), c.version) << c.name;
        EXPECT_EQ(v.error.isEmpty(), c.status == S::Ok) << c.name;
        EXPECT_LT(MsSince(start), c.timeoutMs + 2000) << c.name;
    }
}

// The selections run through the real yt-dlp's format chooser over two
// format lists: one like a large site's (separate streams in five sizes, a
// combined 360-line mp4 and a 240-line mobile 3gp), one with separate
// streams only.
TEST_F(YtDlpToolTest, QualitySettingChoosesTheIntendedStreams) {
    const auto infoFile = [&](const char* name, bool combined) {
        QJsonArray formats;
        const auto add = [&](const QString& id, const char* ext, int height, const char* v, const char* a,
                             int tbr) {
            QJsonObject f{{"format_id", id}, {"url", "http://127.0.0.1:9/" + id},
                          {"ext", ext},      {"vcodec", v},
                          {"acodec", a},     {"protocol", "http"},
                          {"tbr", tbr}};
            if (height)
                f.insert("height", height);
            formats.append(f);
        };
        for (int h : {144, 360, 480, 720, 1080})
            add(QString("v%1").arg(h), "mp4", h, "avc1", "none", h);
        add("a48", "m4a", 0, "none", "mp4a", 48);
        add("a128", "m4a", 0, "none", "mp4a", 128);
        if (combined) {
            add("c360", "mp4", 360, "avc1", "mp4a", 500);
            add("m3gp", "3gp", 240, "mp4v", "amr", 200);
        }
        const QJsonObject info{{"id", "x"},
                               {"title", "x"},
                               {"extractor", "generic"},
                               {"extractor_key", "Generic"},
                               {"webpage_url", "http://127.0.0.1:9/w"},
                               {"formats", formats}};
        return WriteFile(name, QJsonDocument(info).toJson());
    };
    const QString full = infoFile("full.json", true), apart = infoFile("apart.json", false);
    struct Case {
        int setting;
        const char* full;
        const char* apart;
    } cases[] = {
        {0, "v144+a48", "v144+a48"},   {1, "c360", "v360+a128"},        {2, "v480+a128", "v480+a128"},
        {3, "v720+a128", "v720+a128"}, {4, "v1080+a128", "v1080+a128"}, {5, "m3gp", "v144+a48"},
        {6, "v144+a48", "v144+a48"},   {-1, "m3gp", "v144+a48"},        {10, "v1080+a128", "v1080+a128"},
    };
    for (const Case& c : cases) {
        for (const auto& [file, expected] : {std::pair{full, c.full}, std::pair{apart, c.apart}}) {
            QProcess p;
            p.start("yt-dlp", {"--ignore-config", "--no-cache-dir", "--load-info-json", file, "-f",
                               CYtDlpOpts::FormatFor(c.setting), "--print", "format_id"});
            ASSERT_TRUE(p.waitForFinished(60000));
            EXPECT_EQ(p.readAllStandardOutput().trimmed().toStdString(), expected)
                << c.setting << " " << Std(QFileInfo(file).fileName()) << " "
                << p.readAllStandardError().data();
        }
    }
}

// ---- fake tools at the seam ------------------------------------------------

TEST_F(YtDlpToolTest, DownloadsThatGoWrongEndClearlyAndLeaveNothing) {
    struct Case {
        const char* name;
        QString program;
        int stallMs;
        YtDlpResultKind kind;
        const char* errorPart;
        int withinMs;
    } cases[] = {
        {"hangs", Script("hangs", "echo half > media.mp4.part; exec sleep 30"), 300,
         YtDlpResultKind::ToolFailed, "no progress", 2000},
        // Binary output ends the run long before the stall bound would.
        {"garbage", Script("garbage", "printf 'ok\\n\\377\\376\\001junk\\n'; exec sleep 30"), 20000,
         YtDlpResultKind::ToolFailed, "unreadable output", 2000},
        {"bot check",
         Script("botcheck", "echo \"ERROR: [youtube] abc: Sign in to confirm you're not a bot. Use "
                            "--cookies-from-browser or --cookies for the authentication.\" >&2; exit 1"),
         20000, YtDlpResultKind::SignInNeeded, "Sign in to confirm you're not a bot", 5000},
        {"names no file", Script("nofile", "echo media > media.mp4; exit 0"), 20000,
         YtDlpResultKind::ToolFailed, "did not name the downloaded file", 5000},
        {"names a file elsewhere", Script("elsewhere", "echo 'zorv-file /etc/passwd'; exit 0"), 20000,
         YtDlpResultKind::ToolFailed, "did not name the downloaded file", 5000},
        {"missing", Path("no-such-yt-dlp"), 20000, YtDlpResultKind::ToolMissing, "not found", 5000},
    };
    for (const Case& c : cases) {
        const QString out = Path(QString("out-%1").arg(c.name));
        ASSERT_TRUE(QDir().mkpath(out));
        YtDlpOptions options;
        options.stallMs = c.stallMs;
        const auto start = Clock::now();
        YtDlpDownload d =
            YtDlpRunner(YtDlpTool(c.program)).Download("http://127.0.0.1:9/watch/x", out, options, {});
        EXPECT_LT(MsSince(start), c.withinMs) << c.name;
        EXPECT_EQ(d.kind, c.kind) << c.name << ": " << Std(d.error);
        EXPECT_TRUE(d.error.contains(c.errorPart)) << c.name << ": " << Std(d.error);
        EXPECT_TRUE(d.FilePath().isEmpty()) << c.name;
        EXPECT_EQ(Entries(out), QStringList()) << c.name;
    }
}

TEST_F(YtDlpToolTest, TheNamedFileIsHandedOverWhileYtDlpStillEnds) {
    // The stand-in ends well only when the file leaves while it still runs,
    // then fails: what it does after naming the file no longer matters.
    const QString program = Script("slow-end", "echo media > media.mp4; echo \"zorv-file $PWD/media.mp4\"\n"
                                               "for i in $(seq 50); do [ -e media.mp4 ] || exit 3; sleep 0.1; done\n"
                                               "exit 0");
    const QString out = Path("out");
    ASSERT_TRUE(QDir().mkpath(out));
    YtDlpCallbacks callbacks;
    callbacks.fileReady = [&](const QString& file) { return QFile::rename(file, out + "/kept.mp4"); };
    const auto start = Clock::now();
    YtDlpDownload d = YtDlpRunner(YtDlpTool(program)).Download("http://127.0.0.1:9/watch/x", out, {}, callbacks);
    EXPECT_LT(MsSince(start), 3000);
    EXPECT_EQ(d.kind, YtDlpResultKind::Ok) << Std(d.error);
    EXPECT_TRUE(d.FilePath().isEmpty());
    EXPECT_EQ(Entries(out), QStringList{"kept.mp4"}); // the private folder is gone
}

TEST_F(YtDlpToolTest, MetadataThatIsNoAnswerFailsClearly) {
    struct Case {
        const char* name;
        QByteArray body;
        YtDlpResultKind kind;
        const char* errorPart;
    } cases[] = {
        {"not json", "echo 'WARNING: x'; echo '{\"id\": '; exit 0", YtDlpResultKind::ToolFailed, "not JSON"},
        {"endless", "exec yes '{\"id\": \"x\"}'", YtDlpResultKind::ToolFailed, "more than"},
    };
    for (const Case& c : cases) {
        YtDlpOptions options;
        options.maxInfoBytes = 1 << 20;
        options.workFolder = Path(QString("work-%1").arg(c.name));
        ASSERT_TRUE(QDir().mkpath(options.workFolder));
        const YtDlpInfoResult r =
            YtDlpRunner(YtDlpTool(Script(c.name, c.body))).FetchInfo("http://127.0.0.1:9/", false, options);
        EXPECT_EQ(r.kind, c.kind) << c.name << ": " << Std(r.error);
        EXPECT_TRUE(r.error.contains(c.errorPart)) << c.name << ": " << Std(r.error);
        EXPECT_EQ(Entries(options.workFolder), QStringList()) << c.name;
    }
}

// What a run hands yt-dlp besides its arguments, seen from inside: a private
// cookie copy readable by the user only, and a CA bundle that adds the extra
// CA to the system's.
TEST_F(YtDlpToolTest, RunGetsPrivateCookiesAndACombinedCaBundle) {
    const QString extraCa =
        WriteFile("extra-ca.pem", "-----BEGIN CERTIFICATE-----\nzorv\n-----END CERTIFICATE-----\n");
    const QString tool = Script("inspect", R"sh(
while [ $# -gt 0 ]; do
  case "$1" in
    --cookies) cookies="$2"; shift ;;
    --compat-options) compat="$2"; shift ;;
  esac
  shift
done
system=$(grep -c BEGIN /etc/ssl/certs/ca-certificates.crt)
bundle=$(grep -c BEGIN "$SSL_CERT_FILE")
last=$(grep -B1 END "$SSL_CERT_FILE" | tail -2 | head -1)
echo "ERROR: mode=$(stat -c %a "$cookies") head=$(head -1 "$cookies") line=$(grep -c 'a.example' "$cookies") compat=$compat bundle=$((bundle - system)) last=$last cwd=$(basename "$PWD" | cut -c1-12)" >&2
exit 1)sh");
    const ScopedEnv env("ZORV_CA_BUNDLE", extraCa);
    YtDlpOptions options;
    options.cookieLines = {"a.example\tFALSE\t/\tFALSE\t0\tsid\tsecret", "bad\nline"};
    const YtDlpDownload d = YtDlpRunner(YtDlpTool(tool)).Download("http://127.0.0.1:9/", Path(), options, {});
    EXPECT_EQ(Std(d.error), "mode=600 head=# Netscape HTTP Cookie File line=1 compat=no-certifi bundle=1 "
                            "last=zorv cwd=.zorv-ytdlp-");
}

// ---- the real yt-dlp and the simulator ---------------------------------------

class YtDlpSiteTest : public SimulatorSuite {
  protected:
    static QString Title(const QString& id) {
        for (const SimVideo& v : sim_->Catalogue().Videos(SimSite::Generic)) {
            if (v.id == id)
                return v.title;
        }
        return QString();
    }
    static QByteArray Served(const QString& id) { return ReadFile(sim_->GenericMediaFile(id)); }
    // The member cookie as the downloader's jar exports it.
    static QString MemberCookieLine() {
        const QString cookie = sim_->GenericMemberCookie();
        const qsizetype eq = cookie.indexOf('=');
        return QString("#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\t%1\t%2")
            .arg(cookie.left(eq), cookie.mid(eq + 1));
    }
    QString Folder(const char* name) {
        const QString path = Path(name);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    YtDlpRunner runner_;
};

TEST_F(YtDlpSiteTest, FetchInfoReadsAVideoAndListsAMultiVideoPage) {
    YtDlpOptions options;
    options.workFolder = Folder("work");
    const QString watch = sim_->GenericBase() + "/watch/clip-one";
    const YtDlpInfoResult one = runner_.FetchInfo(watch, false, options);
    ASSERT_EQ(one.kind, YtDlpResultKind::Ok) << Std(one.error);
    EXPECT_EQ(Std(one.info.title), Std(Title("clip-one") + " (1)"));
    EXPECT_EQ(Std(one.info.id), "clip-one-1");
    EXPECT_EQ(Std(one.info.ext), "mp4");
    EXPECT_EQ(Std(one.info.site), "HTML5MediaEmbed");
    EXPECT_EQ(Std(one.info.webpageUrl), Std(watch));
    EXPECT_FALSE(one.info.isPlaylist);

    const YtDlpInfoResult three = runner_.FetchInfo(sim_->GenericBase() + "/three", true, options);
    ASSERT_EQ(three.kind, YtDlpResultKind::Ok) << Std(three.error);
    EXPECT_TRUE(three.info.isPlaylist);
    EXPECT_EQ(Std(three.info.title), "Three clips");
    EXPECT_EQ(Std(three.info.site), "Generic");
    ASSERT_EQ(three.info.entries.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const YtDlpEntry& e = three.info.entries[size_t(i)];
        EXPECT_EQ(e.index, i + 1);
        EXPECT_EQ(Std(e.id), Std(QString("three-%1").arg(i + 1)));
        EXPECT_EQ(Std(e.title), Std(QString("Three clips (%1)").arg(i + 1)));
        EXPECT_TRUE(e.url.isEmpty()) << i; // fetched as the page's item i + 1
    }
    EXPECT_EQ(Entries(options.workFolder), QStringList());
}

TEST_F(YtDlpSiteTest, DownloadDeliversTheServedBytesAndLeavesOnlyTheMovedFile) {
    struct Case {
        const char* name;
        QString url;
        int item;
        QStringList cookies;
        QString caBundle; // ZORV_CA_BUNDLE
        const char* id;
    } cases[] = {
        {"watch", sim_->GenericBase() + "/watch/clip-one", 0, {}, QString(), "clip-one"},
        // A folder name that looks like a template field stays a name.
        {"second of %(title)s", sim_->GenericBase() + "/three", 2, {}, QString(), "clip-two"},
        {"tls", sim_->GenericTlsBase() + "/watch/clip-three", 0, {}, sim_->CaBundlePath(), "clip-three"},
        {"member",
         sim_->GenericBase() + "/members/members-clip",
         0,
         {MemberCookieLine()},
         QString(),
         "members-clip"},
    };
    InitLog(Path("zorv.log"));
    for (const Case& c : cases) {
        const QString out = Folder(c.name);
        const ScopedEnv env("ZORV_CA_BUNDLE", c.caBundle);
        YtDlpOptions options;
        options.playlistItem = c.item;
        options.cookieLines = c.cookies;
        Recorded seen;
        YtDlpDownload d = runner_.Download(c.url, out, options, seen.Callbacks());
        ASSERT_EQ(d.kind, YtDlpResultKind::Ok) << c.name << ": " << Std(d.error);
        // The cookie copy, the CA bundle and yt-dlp's own files are gone already.
        EXPECT_EQ(Entries(d.Folder()), QStringList{QFileInfo(d.FilePath()).fileName()}) << c.name;
        EXPECT_EQ(QFileInfo(d.FilePath()).absolutePath(), d.Folder()) << c.name;
        EXPECT_EQ(ReadFile(d.FilePath()), Served(c.id)) << c.name;
        EXPECT_EQ(seen.LastPerMille(), 1000) << c.name;
        EXPECT_EQ(Std(seen.status.value(0)), "Starting yt-dlp") << c.name;
        EXPECT_EQ(Std(seen.status.value(seen.status.size() - 1)), "Downloaded") << c.name;
        ASSERT_TRUE(QFile::rename(d.FilePath(), QDir(out).filePath("final.mp4"))) << c.name;
        d.Cleanup();
        EXPECT_EQ(Entries(out), QStringList{"final.mp4"}) << c.name;
    }
    ShutdownLog();
    // The runs are logged, the member cookie's value never.
    const QByteArray log = ReadFile(Path("zorv.log"));
    const QString cookie = sim_->GenericMemberCookie();
    EXPECT_TRUE(log.contains("--cookies")) << log.toStdString();
    EXPECT_FALSE(log.contains(cookie.mid(cookie.indexOf('=') + 1).toUtf8())) << log.toStdString();
}

TEST_F(YtDlpSiteTest, TheDownloadRunSaysWhatTheVideoIsBeforeItsBytes) {
    struct Case {
        QString url;
        int item;
        const char* id;
        int entries;
        int index;
    } cases[] = {
        {sim_->GenericBase() + "/watch/clip-one", 0, "clip-one-1", 0, 0},
        {sim_->GenericBase() + "/three", 2, "three-2", 3, 2},
    };
    for (const Case& c : cases) {
        YtDlpOptions options;
        options.playlistItem = c.item;
        std::vector<YtDlpVideoInfo> infos;
        size_t progressBeforeInfo = 0;
        size_t progressSeen = 0;
        YtDlpCallbacks callbacks;
        callbacks.progress = [&](const YtDlpProgress&) { ++progressSeen; };
        callbacks.videoInfo = [&](const YtDlpVideoInfo& info) {
            progressBeforeInfo = progressSeen;
            infos.push_back(info);
        };
        const YtDlpDownload download = runner_.Download(c.url, Folder("info"), options, callbacks);
        ASSERT_EQ(download.kind, YtDlpResultKind::Ok) << Std(download.error);
        ASSERT_EQ(infos.size(), 1u) << c.id;
        EXPECT_EQ(progressBeforeInfo, 0u) << c.id;
        EXPECT_GT(progressSeen, 0u) << c.id;
        EXPECT_EQ(Std(infos[0].id), c.id);
        EXPECT_EQ(Std(infos[0].site), "HTML5MediaEmbed");
        EXPECT_EQ(Std(infos[0].ext), "mp4");
        EXPECT_FALSE(infos[0].title.isEmpty());
        EXPECT_EQ(infos[0].pageEntries, c.entries) << c.id;
        EXPECT_EQ(infos[0].pageIndex, c.index) << c.id;
    }
}

TEST_F(YtDlpSiteTest, RefusalsAreClassifiedAndLeaveNothing) {
    struct Case {
        const char* name;
        QString url;
        YtDlpResultKind kind;
        const char* errorPart;
    } cases[] = {
        // The members page sets a visitor cookie as it turns one away.
        {"members", sim_->GenericBase() + "/members/members-clip", YtDlpResultKind::SignInNeeded,
         "HTTP Error 403"},
        // Without the test CA the simulator's certificate is not trusted.
        {"untrusted", sim_->GenericTlsBase() + "/watch/clip-one", YtDlpResultKind::Failed,
         "CERTIFICATE_VERIFY_FAILED"},
        // The index holds links only, no video of its own.
        {"no video", sim_->GenericBase() + "/", YtDlpResultKind::Unsupported, "Unsupported URL"},
    };
    for (const Case& c : cases) {
        const QString out = Folder(c.name);
        const YtDlpDownload d = runner_.Download(c.url, out, YtDlpOptions(), {});
        EXPECT_EQ(d.kind, c.kind) << c.name << ": " << Std(d.error);
        EXPECT_TRUE(d.error.contains(c.errorPart)) << c.name << ": " << Std(d.error);
        EXPECT_FALSE(d.error.contains("please report")) << c.name;
        EXPECT_EQ(Entries(out), QStringList()) << c.name;
    }
}

TEST_F(YtDlpSiteTest, StopDuringADownloadEndsWithinASecondAndLeavesNothing) {
    const QString out = Folder("stopped");
    bool sawProgress = false;
    std::optional<Clock::time_point> stoppedAt;
    YtDlpCallbacks callbacks;
    callbacks.progress = [&](const YtDlpProgress& p) { sawProgress = sawProgress || p.received > 0; };
    callbacks.stopRequested = [&] {
        if (sawProgress && !stoppedAt)
            stoppedAt = Clock::now();
        return stoppedAt.has_value();
    };
    const YtDlpDownload d =
        runner_.Download(sim_->GenericBase() + "/slow/clip-one", out, YtDlpOptions(), callbacks);
    ASSERT_TRUE(stoppedAt.has_value()) << Std(d.error);
    EXPECT_LT(MsSince(*stoppedAt), 1000);
    EXPECT_EQ(d.kind, YtDlpResultKind::Stopped) << Std(d.error);
    EXPECT_EQ(Entries(out), QStringList());
}
