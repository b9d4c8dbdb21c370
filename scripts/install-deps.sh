#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the program need.
set -euo pipefail
PACKAGES=(
  cmake ninja-build ccache g++ pkg-config python3
  qt6-base-dev libcurl4-openssl-dev libsqlite3-dev liblog4cpp5-dev
  libcpp-httplib-dev libssl-dev
  googletest libgtest-dev
  mplayer ffmpeg sqlite3 curl openssl locales
  # The general-purpose downloader the program hands unknown addresses to.
  yt-dlp
  nginx-light
  # The desktop program: SVG pictures of its bundle, and what its window
  # tests need on a machine without a desktop (X server, fonts, xcb libraries).
  qt6-svg-dev libqt6svg6 xvfb xauth fonts-dejavu-core
  # Japanese texts in the window pictures (without it they show as boxes).
  fonts-noto-cjk
  libxcb-cursor0 libxkbcommon-x11-0 libxcb-icccm4 libxcb-keysyms1 libxcb-shape0
  # The Debian package (cpack -G DEB finds library dependencies with these).
  dpkg-dev file
  # Package checks and the manual pages made from --help.
  lintian desktop-file-utils help2man
  # The private session bus the single-instance and notification tests start.
  dbus-daemon
  # A second program that owns the clipboard in the clipboard-watch tests.
  xclip
  # The embedded browser (CAPTCHA and sign-in pages).
  qt6-webengine-dev libqt6webenginewidgets6 libqt6webenginecore6-bin
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
