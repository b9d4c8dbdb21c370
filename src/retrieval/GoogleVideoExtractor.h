#pragma once
// Google Video pages: the embedded player receives the media address as its
// "videoUrl" parameter. A page that only frames a video hosted elsewhere is
// handed on: ParsePage answers 205 with the framed page in pageUrl, and the
// worker continues with that site's extractor.

#include "retrieval/SiteExtractor.h"

class GoogleVideoExtractor : public SiteExtractor {
  public:
    GoogleVideoExtractor();

    // The "?docid=" value of pageUrl up to the next "&"; empty when the key
    // is missing, opens the address, or is directly followed by "&".
    QString GetVideoId() override;
    // 0 with mediaUrl and title set; 205 with pageUrl replaced by the framed
    // page's address; -2 when the page holds neither.
    int ParsePage(const QString& text) override;
};
