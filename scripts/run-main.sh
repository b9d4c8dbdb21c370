#!/usr/bin/env bash
# The program's main job on a fresh Debian 12 machine, with no network: build,
# then open the desktop program with the four sites served by the local site
# simulator. Paste one of the printed addresses into the window (Ctrl+V) and
# press the start button. Settings, history and downloads live in a temporary
# profile, so the user's own files are never touched.
# Without a display it runs the command-line demo instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build

if [ -z "${DISPLAY:-}" ] || [ ! -x build/bin/zorv ]; then
  if [ -z "${DISPLAY:-}" ]; then
    echo "No display (DISPLAY is not set): running the command-line demo instead."
  else
    echo "The desktop program was not built: running the command-line demo instead."
  fi
  if [ -x build/bin/zorv-get ] && [ -x build/bin/zorv-sitesim ] && [ -f scripts/demo.sh ]; then
    exec bash scripts/demo.sh build
  fi
  cd build && exec ctest --output-on-failure -L net
fi

bin="$PWD/build/bin"
work=$(mktemp -d /tmp/zorv-main.XXXXXX)
simpid=""
# shellcheck source=scripts/sitesim-env.sh
. scripts/sitesim-env.sh
trap stop_sitesim EXIT
start_sitesim

use_private_profile
mkdir -p "$work/downloads"
cat >"$XDG_CONFIG_HOME/Quillmere/Zorv YouTube Downloader.conf" <<CONF
[Setting]
Output\\OutputFolder=$work/downloads
Output\\NicoUser=nico.tester@example.com
Output\\NicoPasswd="p&s=w+rd% 1"
CONF

cat <<TEXT
== Zorv YouTube Downloader is starting, with the sites served locally.
   Copy an address below, press Ctrl+V in the window, then the start button:

   http://www.youtube.com/watch?v=zvNormal001
   http://video.google.com/videoplay?docid=1234567890123456789
   http://www.metacafe.com/watch/1000001/sample_clip/
   http://www.nicovideo.jp/watch/sm1004

   Downloads go to $work/downloads
TEXT
"$bin/zorv"
