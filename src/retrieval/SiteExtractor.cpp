#include "retrieval/SiteExtractor.h"

#include "base/Localization.h"
#include "base/TextIds.h"
#include "platform/UserPrompts.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/FilePlacement.h"
#include "retrieval/TextUtil.h"

#include <QRegularExpression>

namespace {
// One file-name component, and a whole path, in bytes of UTF-8.
constexpr int kMaxNameBytes = 255;
constexpr int kMaxPathBytes = 4096;
} // namespace

SiteExtractor::SiteExtractor(VideoSite site, const QString& siteName) : site(site), siteName(siteName) {}

SiteExtractor::~SiteExtractor() = default;

void SiteExtractor::SetUser(const QString& text) {
    user = text;
}

void SiteExtractor::SetPassword(const QString& text) {
    password = text;
}

int SiteExtractor::Login(const QString&, const QString&, const QString&) {
    return 0;
}

int SiteExtractor::ConfirmAgeVerify() {
    return 0;
}

int SiteExtractor::PrepareSession() {
    return 0;
}

int SiteExtractor::ParsePage(const QString& text) {
    return ParseTitle(text);
}

int SiteExtractor::Resolve() {
    int r = PrepareSession();
    if (r != 0)
        return r;
    QString text;
    r = FetchPage(pageUrl, text);
    if (r != 0) {
        owner->PostStatus(r == DownloadStatus::Stopped ? DownloadStatus::Stopped
                                                       : DownloadStatus::MediaFailed);
        return r;
    }
    r = ParsePage(text);
    if (r == -2) {
        owner->SetError(LoadText(TextId::NoMediaOnPage));
        owner->PostStatus(DownloadStatus::Failed);
    }
    return r;
}

int SiteExtractor::FetchPage(const QString& address, QString& text) {
    // The codes' own texts speak of the video; this step only reads its page.
    owner->PostStatus(DownloadStatus::DownloadBegins, LoadText(TextId::ReadingVideoPage));
    CVideoDownloader downloader(owner);
    const PageResult page = downloader.GetHTMLPage(address);
    text += page.text;
    if (page.code == 0)
        owner->PostStatus(DownloadStatus::DownloadEnded, LoadText(TextId::VideoPageRead));
    else if (page.code == DownloadStatus::Stopped)
        owner->SetError(QStringLiteral("Aborted"));
    else if (page.code == -1 && !page.errorText.isEmpty())
        owner->SetError(page.errorText); // not found, redirected in circles, ...
    return page.code;
}

int SiteExtractor::ParseTitle(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("<title>([^<]*)</title>"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (match.hasMatch()) {
        title = DecodeEntities(match.captured(1));
        owner->PostTitle(title);
    } else {
        title = videoId;
    }
    return 0;
}

int SiteExtractor::MakeFileName(const QString& folder, int useTitle, QString& finalPath, QString& tempPath) {
    QString name = useTitle ? title : videoId;
    if (name.isEmpty())
        name = videoId.isEmpty() ? siteName : videoId;
    SanitizeFileName(name, QLatin1Char('_'));
    // A NUL (a decoded "%00") makes every open fail, and line breaks or other
    // control characters make a name no shell shows whole; leading dots hide
    // the file, and a title of dots only would look like "." or "..".
    for (QChar& c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('_');
    for (qsizetype i = 0; i < name.size() && name.at(i) == QLatin1Char('.'); ++i)
        name[i] = QLatin1Char('_');
    fileFolder = JoinPath(folder, siteName);
    fileBase = name;

    if (NameBudget(extension) <= 0) {
        const QString message =
            QStringLiteral("File name exceed max length, please change the output folder to a shorten one!");
        Prompts().ShowMessage(message, UserPrompts::Icon::Warning);
        owner->SetError(message);
        return 0;
    }
    finalPath = FreePathFor(extension);
    if (finalPath.isEmpty()) {
        // Every numbered name is taken; overwriting one would lose a file.
        owner->SetError(
            QStringLiteral("Can not find a free file name for \"%1.%2\" in %3: all 1000 names are taken")
                .arg(CutToUtf8Bytes(fileBase, NameBudget(extension)), extension,
                     fileFolder)); // one arg() call: names may hold "%1"
        tempPath.clear();
        return 0;
    }
    tempPath = finalPath + QLatin1String(kTemporarySuffix);
    return 1;
}

int SiteExtractor::NameBudget(const QString& ext) const {
    // Room for "_NNN", ".ext" and ".qxt" in the component, and for the whole
    // temporary path (with its terminating NUL) in the path limit.
    const int suffixBytes = 4 + 1 + static_cast<int>(ext.toUtf8().size()) + 4;
    const int pathRoom = kMaxPathBytes - 1 - static_cast<int>(fileFolder.toUtf8().size()) - 1 - suffixBytes;
    return std::min(kMaxNameBytes - suffixBytes, pathRoom);
}

QString SiteExtractor::FreePathFor(const QString& ext) const {
    const int budget = NameBudget(ext);
    if (budget <= 0)
        return QString();
    return MakeUniquePath(fileFolder, CutToUtf8Bytes(fileBase, budget), ext);
}
