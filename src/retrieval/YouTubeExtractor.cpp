#include "retrieval/YouTubeExtractor.h"

#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/TextUtil.h"

#include <QList>
#include <QRegularExpression>
#include <QUrl>

#include <array>

namespace {
constexpr const char* kCategory = CVideoDownloader::kLogCategory;
const QString kFormContentType = QStringLiteral("Content-Type: application/x-www-form-urlencoded");

using FormatEntry = YouTubeExtractor::FormatEntry;

// Best first; the selector is YoutubeFMT modulo 6.
// clang-format off
constexpr std::array<FormatEntry, 5> kLowest = {{
    {83, "mp4"}, {5, "flv"}, {6, "flv"}, {13, "3gp"}, {17, "3gp"}}};
constexpr std::array<FormatEntry, 8> kNormal = {{
    {18, "mp4"}, {34, "flv"}, {82, "mp4"}, {43, "webm"}, {100, "webm"}, {83, "mp4"}, {5, "flv"}, {6, "flv"}}};
constexpr std::array<FormatEntry, 10> kHigh = {{
    {35, "flv"}, {44, "webm"}, {101, "webm"}, {46, "webm"}, {85, "mp4"},
    {18, "mp4"}, {34, "flv"}, {82, "mp4"}, {43, "webm"}, {100, "webm"}}};
constexpr std::array<FormatEntry, 19> kHd720 = {{
    {22, "mp4"}, {84, "mp4"}, {45, "webm"}, {102, "webm"},
    {35, "flv"}, {44, "webm"}, {101, "webm"}, {46, "webm"}, {85, "mp4"},
    {18, "mp4"}, {34, "flv"}, {82, "mp4"}, {43, "webm"}, {100, "webm"},
    {83, "mp4"}, {5, "flv"}, {6, "flv"}, {13, "3gp"}, {17, "3gp"}}};
constexpr std::array<FormatEntry, 21> kHd1080 = {{
    {37, "mp4"}, {38, "mp4"}, {22, "mp4"}, {84, "mp4"}, {45, "webm"}, {102, "webm"},
    {35, "flv"}, {44, "webm"}, {101, "webm"}, {46, "webm"}, {85, "mp4"},
    {18, "mp4"}, {34, "flv"}, {82, "mp4"}, {43, "webm"}, {100, "webm"},
    {83, "mp4"}, {5, "flv"}, {6, "flv"}, {13, "3gp"}, {17, "3gp"}}};
constexpr std::array<FormatEntry, 2> kMobile = {{{13, "3gp"}, {17, "3gp"}}};
// clang-format on

// An http(s) address on the site's domain or one of its subdomains.
bool OnSiteHosts(const QUrl& url) {
    const QString domain = QString::fromLatin1(YouTubeExtractor::kMainDomain);
    const QString host = url.host();
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           (host == domain || host.endsWith(QLatin1Char('.') + domain));
}

// The container of a stream the lists name (the longest list names every
// itag of the others); null for an unknown itag.
const char* ContainerOf(qint64 itag) {
    for (const FormatEntry& entry : kHd1080)
        if (entry.itag == itag)
            return entry.container;
    return nullptr;
}

QString WebAddress(const QString& pathAndQuery) {
    return QStringLiteral("http://") + QLatin1String(YouTubeExtractor::kWebHost) + pathAndQuery;
}

// The decimal number at the start of `digits`; 0 when there is none.
qint64 LeadingNumber(QStringView digits) {
    qsizetype n = 0;
    while (n < digits.size() && digits[n] >= QLatin1Char('0') && digits[n] <= QLatin1Char('9'))
        ++n;
    return n == 0 ? 0 : digits.left(n).toLongLong();
}

// Reads a form post's answer to its end: the page itself says nothing the
// session needs beyond the cookies it already set.
void DiscardBody(TransportResponse& response) {
    char block[CVideoDownloader::kBlockSize];
    while (response.Read(block, sizeof block) > 0) {
    }
}

// Runs one step of the conversation with the site. A network failure is
// logged under `label` and answers `networkResult` (its own code when none is
// given); a text failure is logged as "<errorLabel>() Error: <text>" and
// answers `textResult`.
template <typename Step>
int Guarded(const char* label, const char* errorLabel, int textResult, std::optional<int> networkResult,
            Step&& step) {
    try {
        return step();
    } catch (const TransportError& error) {
        CVideoDownloader::ReportException(label, error);
        return networkResult.value_or(error.code);
    } catch (const DownloadFailure& failure) {
        LogErrorW(kCategory, QString::fromLatin1(errorLabel) + QStringLiteral("() Error: ") + failure.text);
        return textResult;
    }
}

// The id pattern: an optional site prefix (group 1) and the id (group 2);
// after a prefix anything may follow. It must cover the whole address, so an
// address of the site that names no video does not yield a fragment of
// itself as the id.
const QRegularExpression& VideoIdPattern() {
    static const QRegularExpression pattern = [] {
        const QString domain = QString::fromLatin1(YouTubeExtractor::kMainDomain);
        const qsizetype dot = domain.indexOf(QLatin1Char('.'));
        const QString site = QRegularExpression::escape(domain.left(dot)) + QStringLiteral("(?:-nocookie)?") +
                             QRegularExpression::escape(domain.mid(dot));
        // The short link names the id right after its domain; the main
        // domain needs a watch, "v/" or "embed/" part first.
        const QString text =
            QStringLiteral("((?:https?://)?(?:") +
            QRegularExpression::escape(QString::fromLatin1(YouTubeExtractor::kShortLinkDomain)) +
            QStringLiteral("/|(?:\\w+\\.)?") + site +
            QStringLiteral(
                "/(?:(?:(?:v|embed)/)|(?:(?:watch(?:_popup)?(?:\\.php)?)?(?:\\?|#!?)(?:.+&)?v=))))?"
                "([0-9A-Za-z_-]+)(?(1).+)?");
        return QRegularExpression(QRegularExpression::anchoredPattern(text));
    }();
    return pattern;
}
} // namespace

YouTubeExtractor::YouTubeExtractor() : SiteExtractor(YOUTUBE, QStringLiteral("YouTube")) {}

std::span<const FormatEntry> YouTubeExtractor::PreferenceList(int youtubeFmt) {
    switch (youtubeFmt % 6) {
    case 0:
        return kLowest;
    case 1:
        return kNormal;
    case 3:
        return kHd720;
    case 4:
        return kHd1080;
    case 5:
        return kMobile;
    default: // 2 and every negative remainder
        return kHigh;
    }
}

QString YouTubeExtractor::SignInAddress() {
    return QStringLiteral("https://") + QLatin1String(kAccountsHost) +
           QStringLiteral("/accounts/ServiceLogin?uilel=3&service=youtube&passive=true&continue=") +
           QStringLiteral("http%3A%2F%2F") + QLatin1String(kWebHost) +
           QStringLiteral("%2Fsignin%3Faction_handle_signin%3Dtrue%26nomobiletemp%3D1%26hl%3Den_US%26");
}

QString YouTubeExtractor::GetVideoId() {
    const QRegularExpressionMatch match = VideoIdPattern().match(pageUrl);
    videoId = match.hasMatch() ? match.captured(2) : QStringLiteral("youtube");
    return videoId;
}

int YouTubeExtractor::PrepareSession() {
    const std::shared_ptr<const SettingsValues> settings = Settings().Shared();
    SetUser(settings->YTUser);
    SetPassword(settings->YTPasswd);
    SetLanguage(); // a site that ignores it still serves pages
    const int r = Step1_GetVideoWebPage();
    if (r != 0)
        return r;
    // Some videos answer only for one kind of embedding; the title is a
    // nicety, so none answering is no failure.
    for (const char* suffix : {"&el=embedded", "&el=detailpage", "&el=vevo", ""}) {
        if (GetVideoInfo(QString::fromLatin1(suffix)) == 0)
            break;
    }
    // The row shows the title as soon as it is known, as for the other sites.
    if (!title.isEmpty())
        owner->PostTitle(title);
    return 0;
}

int YouTubeExtractor::SetLanguage() {
    owner->PostStatus(DownloadStatus::SiteStepText);
    CVideoDownloader downloader(owner);
    return Guarded("SetLanguage", "SetLanguage", DownloadStatus::Error206, DownloadStatus::Error206, [&] {
        std::unique_ptr<TransportResponse> response;
        QString location;
        const int a = downloader.RequestHTTP(
            WebAddress(QStringLiteral("/?hl=en&persist_hl=1&gl=US&persist_gl=1&opt_out_ackd=1")), response,
            location);
        response.reset();
        // The target sets nothing more; fetching it completes the exchange
        // as a browser would.
        if (a == 302)
            downloader.GetHTMLPage(location);
        return a == 302 ? 0 : -1;
    });
}

int YouTubeExtractor::Step1_GetVideoWebPage() {
    const QString address =
        WebAddress(QStringLiteral("/watch?v=") + videoId + QStringLiteral("&gl=US&hl=en&amp;has_verified=1"));
    return Guarded("GetVideoWebPage", "Step1_GetVideoWebPage", DownloadStatus::Error, std::nullopt, [&] {
        CVideoDownloader downloader(owner);
        const PageResult page = downloader.GetHTMLPage(address);
        if (page.code != 0) {
            if (page.code == -1 && !page.errorText.isEmpty())
                owner->SetError(page.errorText);
            return -1;
        }
        const QString& location = page.location;
        // The dialog's address is in place before the window hears of the
        // gate: it opens the dialog from what the notification publishes.
        if (location.contains(QLatin1String("das_captcha"))) {
            // The dialog shows the page inside the program, with the site's
            // cookies: only a page of the site itself may be one.
            const QUrl target = QUrl(address).resolved(QUrl(location));
            if (!OnSiteHosts(target)) {
                const QString text = FillFormat(LoadText(TextId::VerificationOffSite), {location});
                LogErrorW(kCategory, QStringLiteral("Step1_GetVideoWebPage() Error: ") + text);
                owner->SetError(text);
                return DownloadStatus::Error;
            }
            owner->RequestCaptcha(target.toString());
            owner->PostStatus(DownloadStatus::CaptchaRequired);
            owner->SetError(QStringLiteral("Please input the verification code and try again."));
            return DownloadStatus::CaptchaRequired;
        }
        if (location.contains(QLatin1String("verify_age"))) {
            owner->RequestSignIn(SignInAddress());
            owner->PostStatus(DownloadStatus::SignInRequired);
            owner->SetError(QStringLiteral(
                "To view this video, please verify you are 18 or older by signing in or signing up."));
            return DownloadStatus::SignInRequired;
        }
        if (std::optional<QString> map = FindStreamMap(page.text)) {
            streamMap = std::move(*map);
            return 0;
        }
        streamMap.clear();
        owner->SetError(QStringLiteral("can't retrieve video file location from html file."));
        return DownloadStatus::Error;
    });
}

std::optional<QString> YouTubeExtractor::FindStreamMap(const QString& page) {
    static const QRegularExpression oldMap(QStringLiteral(R"("fmt_url_map":\s*"([^"]*))"));
    static const QRegularExpression newMap(QStringLiteral(R"("url_encoded_fmt_stream_map":\s*"([^"]*))"));
    for (const QRegularExpression* pattern : {&oldMap, &newMap}) {
        const QRegularExpressionMatch match = pattern->match(page);
        if (match.hasMatch())
            return match.captured(1);
    }
    return std::nullopt;
}

int YouTubeExtractor::GetVideoInfo(const QString& suffix) {
    const QString address =
        WebAddress(QStringLiteral("/get_video_info?&video_id=%1%2&ps=default&eurl=&gl=US&hl=en")
                       .arg(GetVideoId(), suffix));
    return Guarded("GetVideoInfo", "Step1_GetVideoInfo", DownloadStatus::Error, std::nullopt, [&] {
        CVideoDownloader downloader(owner);
        const PageResult reply = downloader.GetHTMLPage(address);
        if (reply.code != 0)
            return -1;
        return ReadVideoInfo(reply.text, title);
    });
}

int YouTubeExtractor::ReadVideoInfo(const QString& reply, QString& title) {
    static const QRegularExpression token(QStringLiteral("(?m)&token=([^&]+)(?:&|$)"));
    static const QRegularExpression titleField(QStringLiteral("(?m)&title=([^&]+)(?:&|$)"));
    if (!token.match(reply).hasMatch())
        return static_cast<int>(DownloadStatus::Error);
    const QRegularExpressionMatch match = titleField.match(reply);
    // Spaces come as "%20"; a "+" in a title is a plus sign.
    if (match.hasMatch())
        title = QString::fromUtf8(PercentDecode(match.captured(1).toUtf8()));
    return 0;
}

int YouTubeExtractor::ParsePage(const QString&) {
    if (streamMap.isEmpty())
        return -1;
    const std::span<const FormatEntry> preferred = PreferenceList(Settings().Shared()->YoutubeFMT);

    QStringList streams;
    QList<qint64> itags;
    for (const QString& piece : SplitText(streamMap, QLatin1Char(','))) {
        const QString decoded = QString::fromUtf8(PercentDecode(piece.toUtf8()));
        qint64 itag = 0;
        QString stream = piece;
        if (decoded.startsWith(QLatin1String("url="))) {
            stream = decoded.mid(4);
            const qsizetype at = stream.indexOf(QLatin1String("itag="));
            if (at > 0)
                itag = LeadingNumber(QStringView(stream).mid(at + 5, 10));
        }
        streams << stream;
        itags << itag;
    }

    QString chosen;
    qint64 chosenItag = 0;
    bool found = false;
    for (const FormatEntry& entry : preferred) {
        const qsizetype i = itags.indexOf(entry.itag);
        if (i >= 0) {
            chosen = streams.at(i);
            chosenItag = entry.itag;
            found = true;
            break;
        }
    }
    if (!found && !streams.isEmpty()) {
        chosen = streams.first();
        chosenItag = itags.first();
    }
    // The file is named after the stream's container where the lists know
    // it; otherwise its first bytes tell once it has arrived.
    if (const char* container = ContainerOf(chosenItag)) {
        extension = QString::fromLatin1(container);
        containerKnown = true;
    }

    mediaUrl = UnescapeStreamUrl(chosen);
    // The entry's own itag field follows the address, which names its itag
    // already: a second one would make the media host refuse the request.
    const QLatin1String itagField("&itag=");
    const qsizetype first = mediaUrl.indexOf(itagField);
    if (first > 0) {
        const qsizetype second = mediaUrl.indexOf(itagField, first + 1);
        if (second >= 0)
            mediaUrl.truncate(second);
    }
    return 0;
}

int YouTubeExtractor::PostForm(const char* label, const QString& address, const QString& body, int doneStatus,
                               int textFailureResult) {
    return Guarded(label, label, textFailureResult, std::nullopt, [&] {
        CVideoDownloader downloader(owner);
        std::unique_ptr<TransportResponse> response;
        QString location;
        const int r = downloader.RequestHTTP(address, response, location, QStringLiteral("POST"), body,
                                             kFormContentType);
        if (r == 302) {
            downloader.GetHTMLPage(location);
            owner->PostStatus(doneStatus);
            return 0;
        }
        if (r == 0) {
            DiscardBody(*response);
            return 0;
        }
        return -1;
    });
}

int YouTubeExtractor::Login(const QString&, const QString& user, const QString& password) {
    owner->PostStatus(DownloadStatus::SigningIn);
    const QString address =
        QStringLiteral("https://") + QLatin1String(kAccountsHost) + QStringLiteral("/accounts/ClientLogin");
    const QString body = QStringLiteral("Email=%1&Passwd=%2&service=youtube&source=Tallowgrove")
                             .arg(FormValue(user), FormValue(password));
    return PostForm("Login", address, body, DownloadStatus::SignedIn, DownloadStatus::SiteError);
}

int YouTubeExtractor::ConfirmAgeVerify() {
    owner->PostStatus(DownloadStatus::ConfirmingAge);
    return PostForm("ConfirmAgeVerify", WebAddress(QStringLiteral("/verify_age?next_url=/&gl=US&hl=en")),
                    QStringLiteral("next_url=/&action_confirm=Confirm"), DownloadStatus::AgeConfirmed,
                    DownloadStatus::Error203);
}
