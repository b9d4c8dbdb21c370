#pragma once
// Which way an entered address goes: the plain-http pages of the four sites
// keep their own extractors; every other web address is read through yt-dlp;
// anything else is refused. Every entry path (the window's list, the add
// dialog, pasted and dropped text, link import, zorv-get) asks this one
// function, so they all accept and refuse the same addresses.
//
// Threads: a pure function, any thread.

#include <QString>

enum class AddressRoute {
    BuiltIn, // an http:// address of YouTube, Google Video, Metacafe or NicoVideo
    YtDlp,   // any other http:// or https:// address
    Refused, // not a web address
};

// No page address comes near this; longer text is refused unread, so a
// clipboard or drop of megabytes costs nothing.
inline constexpr qsizetype kMaxAddressLength = 32 * 1024;

struct RoutedAddress {
    AddressRoute route = AddressRoute::Refused;
    QString address;      // the text without surrounding white space and line breaks
    bool tooLong = false; // refused for its length alone
};

RoutedAddress RouteAddress(const QString& text);
