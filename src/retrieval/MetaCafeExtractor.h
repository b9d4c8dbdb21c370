#pragma once
// Metacafe video pages: the page embeds the media address as a "mediaURL="
// parameter; the title comes from the page's <title>.

#include "retrieval/SiteExtractor.h"

class MetaCafeExtractor : public SiteExtractor {
  public:
    MetaCafeExtractor();

    // The path segment after "/watch/", or "metacafe" for other addresses.
    QString GetVideoId() override;
    // 0 with mediaUrl and title set; -2 when the page has no media address.
    int ParsePage(const QString& text) override;
};
