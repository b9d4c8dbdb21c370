#include "retrieval/AddressRoute.h"

#include "platform/ParseUrl.h"
#include "retrieval/ExtractorFactory.h"

RoutedAddress RouteAddress(const QString& text) {
    RoutedAddress routed;
    if (text.size() > kMaxAddressLength) {
        routed.tooLong = true;
        return routed;
    }
    routed.address = text.trimmed();
    const std::optional<UrlParts> parts = ParseUrl(routed.address);
    // White space inside would make one entry of two addresses.
    if (!parts || parts->server.isEmpty() ||
        std::any_of(routed.address.begin(), routed.address.end(), [](QChar c) { return c.isSpace(); }))
        return routed;
    if (parts->scheme == QLatin1String("http") && DetectSite(routed.address) >= 0)
        routed.route = AddressRoute::BuiltIn;
    else if (parts->scheme == QLatin1String("http") || parts->scheme == QLatin1String("https"))
        routed.route = AddressRoute::YtDlp;
    return routed;
}
