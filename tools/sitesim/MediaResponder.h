#pragma once
// Sends one media file, or the fault asked for instead: the request's own
// "fault" parameter wins over the catalogue entry's, which wins over the
// simulator-wide switch. Called on server threads; its only state is the request log.
//
//   slow        the body trickles at about 20 KB/s
//   cut         Content-Length announced, the connection closed after half
//   nolength    chunked body, no Content-Length
//   404         not found
//   redirectN   N redirects (absolute addresses, "hop" counts them), then the file
//   and the faults of MediaFaults.h (cut points, resets, broken headers, error
//   pages, odd redirects, Range answers). Every media request is recorded in
//   the context's mediaRequests.

#include "sitesim/SimContext.h"

#include <httplib.h>

#include <QString>

namespace MediaResponder {

void Serve(const httplib::Request& req, httplib::Response& res, const SimContext& ctx, const QString& kind,
           const QString& entryFault);

} // namespace MediaResponder
