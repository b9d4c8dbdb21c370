#include "retrieval/VideoSite.h"

QString SiteFolderName(VideoSite site) {
    switch (site) {
    case YOUTUBE:
        return QStringLiteral("YouTube");
    case GOOGLE:
        return QStringLiteral("Google");
    case METACAFE:
        return QStringLiteral("MetaCafe");
    case NICOVIDEO:
        return QStringLiteral("NicoVideo");
    default:
        return QString();
    }
}

QString SiteLabel(VideoSite site) {
    return SiteFolderName(site).toUpper();
}
