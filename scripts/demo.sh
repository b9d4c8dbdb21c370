#!/usr/bin/env bash
# Downloads one video of each site from the local site simulator with
# zorv-get, then lists the history. Everything lives in a temporary folder:
# the user's own settings, history and downloads are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$PWD/${1:-build}/bin"
work=$(mktemp -d /tmp/zorv-demo.XXXXXX)
simpid=""
# shellcheck source=scripts/sitesim-env.sh
. scripts/sitesim-env.sh
trap stop_sitesim EXIT
start_sitesim
use_private_profile

# The NicoVideo account the simulator knows; its password needs form encoding.
cat >"$XDG_CONFIG_HOME/Quillmere/Zorv YouTube Downloader.conf" <<'CONF'
[Setting]
Output\NicoUser=nico.tester@example.com
Output\NicoPasswd="p&s=w+rd% 1"
CONF

out="$work/downloads"
echo "== Downloading one video of each site into $out"
status=0
"$bin/zorv-get" -o "$out" \
  "http://www.youtube.com/watch?v=zvNormal001" \
  "http://video.google.com/videoplay?docid=1234567890123456789" \
  "http://www.metacafe.com/watch/1000001/sample_clip/" \
  "http://www.nicovideo.jp/watch/sm1004" || status=$?

echo
echo "== The same YouTube video again, named after its title"
"$bin/zorv-get" -t -o "$out" "http://www.youtube.com/watch?v=zvNormal001" || status=$?

echo
echo "== History"
"$bin/zorv-get" --history || status=$?

echo
echo "== Files"
(cd "$out" && find . -type f | sort)
exit "$status"
