#include "retrieval/NicoVideoExtractor.h"

#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "platform/ParseUrl.h"
#include "platform/UserPrompts.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/TextUtil.h"

#include <QRegularExpression>
#include <QUrl>

#include <atomic>
#include <exception>

namespace {
constexpr const char* kCategory = CVideoDownloader::kLogCategory;

// Set once the missing-account notice was shown; it is not repeated for the
// rest of the run however many NicoVideo items follow.
std::atomic<bool> g_accountNoticeShown{false};
} // namespace

NicoVideoExtractor::NicoVideoExtractor() : SiteExtractor(NICOVIDEO, QStringLiteral("NicoVideo")) {}

void NicoVideoExtractor::ResetAccountNoticeForTesting() {
    g_accountNoticeShown = false;
}

QString NicoVideoExtractor::GetVideoId() {
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:http://)?(?:\w+\.)?nicovideo\.jp/(?:v/|(?:watch(?:\.php)?))?/(\w+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(pageUrl);
    videoId = match.hasMatch() ? match.captured(1) : QStringLiteral("nico");
    return videoId;
}

int NicoVideoExtractor::PrepareSession() {
    const std::shared_ptr<const SettingsValues> settings = Settings().Shared();
    SetUser(settings->NicoUser);
    SetPassword(settings->NicoPasswd);

    if (settings->NicoUser.isEmpty() && !g_accountNoticeShown.exchange(true))
        Prompts().ShowMessage(LoadText(TextId::NicoVideoAccountNotice), UserPrompts::Icon::Information);

    if (user.isEmpty())
        return 0; // tried without signing in
    const int r = Login(videoId, user, password);
    if (r != 0)
        owner->PostStatus(r == DownloadStatus::SiteError ? DownloadStatus::SiteError
                                                         : DownloadStatus::MediaFailed);
    return r;
}

QString NicoVideoExtractor::LoginFormBody(const QString& videoId, const QString& mail,
                                          const QString& password) {
    // application/x-www-form-urlencoded: a "&", "=", "+" or "%" in the
    // password must reach the site as part of the password.
    return QStringLiteral("current_form=login&next_url=%2Fwatch%2F") + FormValue(videoId) +
           QStringLiteral("&mail=") + FormValue(mail) + QStringLiteral("&password=") + FormValue(password) +
           QStringLiteral("&login_submit=Log+In");
}

int NicoVideoExtractor::Login(const QString& videoId, const QString& mail, const QString& password) {
    owner->PostStatus(DownloadStatus::SigningIn);
    const QString address = QStringLiteral("https://") + QLatin1String(kSecureHost) +
                            QStringLiteral("/secure/login?site=niconico");
    CVideoDownloader downloader(owner);
    try {
        std::unique_ptr<TransportResponse> response;
        QString location;
        const int r = downloader.RequestHTTP(
            address, response, location, QStringLiteral("POST"), LoginFormBody(videoId, mail, password),
            QStringLiteral("Content-Type: application/x-www-form-urlencoded"));
        // A redirect means the site took the account; its target is not
        // needed, the session cookie is in the jar already.
        if (r == 302) {
            owner->PostStatus(DownloadStatus::SignedIn);
            return 0;
        }
        // The site answers wrong credentials with the form page again.
        owner->SetError(QStringLiteral("NicoVideo did not accept the account ") + mail);
        return -1;
    } catch (const TransportError& error) {
        CVideoDownloader::ReportException("Login", error);
        owner->SetError(error.message);
        return error.code;
    } catch (const std::exception& error) {
        LogError(kCategory, "Login() Error: %s", error.what());
        owner->SetError(QString::fromUtf8(error.what()));
        return DownloadStatus::SiteError;
    }
}

int NicoVideoExtractor::ParsePage(const QString& text) {
    const QString address =
        QStringLiteral("http://") + QLatin1String(kWebHost) + QStringLiteral("/api/getflv?v=") + videoId;
    // A failed fetch leaves the reply empty, which is judged below.
    return ParseFlvReply(CVideoDownloader(owner).GetHTMLPage(address).text, text);
}

int NicoVideoExtractor::ParseFlvReply(const QString& reply, const QString& text) {
    mediaUrl.clear();
    for (const QString& piece : SplitText(reply, QLatin1Char('&'))) {
        if (!piece.startsWith(QLatin1String("url=")))
            continue;
        const std::optional<UrlParts> parts = ParseUrl(DecodeUrl(piece.mid(4)));
        if (!parts)
            return -2;
        mediaUrl = QStringLiteral("http://") + parts->server + parts->object;
        break;
    }
    if (mediaUrl.isEmpty())
        return -2;

    ParseTitle(text);

    // The query key after "smile" names the type: m = MP4, s = Flash, v = FLV.
    static const QRegularExpression kindPattern(
        QStringLiteral(R"(^http://.*\.nicovideo\.jp/smile\?(.*?)=.*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kindPattern.match(mediaUrl);
    if (match.hasMatch()) {
        const QString kind = match.captured(1);
        if (kind == QLatin1String("s"))
            extension = QStringLiteral("swf");
        else if (kind == QLatin1String("m"))
            extension = QStringLiteral("mp4");
        containerKnown =
            kind == QLatin1String("s") || kind == QLatin1String("m") || kind == QLatin1String("v");
    }
    return 0;
}
