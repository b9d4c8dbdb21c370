#pragma once
// The application folder (where the executable and its bundles lie) and the
// per-user data folder (log, history, version file).

#include <QString>

QString GetAppFolder();
// "<XDG data home>/Zorv YouTube Downloader", else "<app folder>/Profile";
// created (with missing parents) on every call.
QString GetDataFolder();

inline constexpr const char* kProductName = "Zorv YouTube Downloader";
