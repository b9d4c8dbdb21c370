#pragma once
// The application folder (where the executable and its bundles lie) and the
// per-user data folder (log, history, version file).

#include <QString>

// The executable's real folder, links followed (both ways of finding it read
// /proc/self/exe, which the kernel resolves): an installed program started
// through <prefix>/bin/zorv -> ../lib/zorv/zorv finds its bundle, language
// files and help in <prefix>/lib/zorv/. tests/install checks exactly that.
QString GetAppFolder();
// "<XDG data home>/Zorv YouTube Downloader", else "<app folder>/Profile";
// created (with missing parents) on every call.
QString GetDataFolder();

inline constexpr const char* kProductName = "Zorv YouTube Downloader";
