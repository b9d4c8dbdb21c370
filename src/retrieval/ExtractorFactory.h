#pragma once
// Choosing the extractor for a video page address.

#include "retrieval/SiteExtractor.h"
#include "retrieval/VideoSite.h"

#include <memory>

// The site of an address from its host name; NO_SITE when none is known.
// A "google" address carrying "srcurl=" is the site of that address.
VideoSite DetectSite(const QString& address);

// A new extractor for the address's site with pageUrl = address and owner =
// worker; null when no site is known or its extractor is not available. For
// a "google" address naming its source with "srcurl=", pageUrl is that
// source address (percent-decoded when it is not a full address as given).
std::unique_ptr<SiteExtractor> CreateExtractor(const QString& address, TransferContext* worker);
