#pragma once
// The video sites the program knows.

#include <QString>

using VideoSite = int;
inline constexpr VideoSite YOUTUBE = 0;
inline constexpr VideoSite GOOGLE = 1;
inline constexpr VideoSite METACAFE = 2;
inline constexpr VideoSite NICOVIDEO = 3;
// Any other site, read through yt-dlp: its name (yt-dlp's extractor key)
// travels with the item and the history row, whose label is that name in
// capitals.
inline constexpr VideoSite OTHER_SITE = 4;
inline constexpr VideoSite NO_SITE = -1;      // detection found no known site
inline constexpr VideoSite NO_TASK_SITE = -2; // a task that has no site (a local file)

// "YouTube", "Google", "MetaCafe", "NicoVideo": the sub-folder of the output
// folder; empty for no site.
QString SiteFolderName(VideoSite site);
// "YOUTUBE", "GOOGLE", "METACAFE", "NICOVIDEO": the history's label; empty for
// no site.
QString SiteLabel(VideoSite site);
