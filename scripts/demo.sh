#!/usr/bin/env bash
# Downloads one video of each site from the local site simulator with
# zorv-get, then lists the history. Everything lives in a temporary folder:
# the user's own settings, history and downloads are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$PWD/${1:-build}/bin"
work=$(mktemp -d /tmp/zorv-demo.XXXXXX)
simpid=""
cleanup() {
  if [ -n "$simpid" ]; then kill "$simpid" 2>/dev/null || true; wait "$simpid" 2>/dev/null || true; fi
}
trap cleanup EXIT

"$bin/zorv-sitesim" --state-dir "$work/sim" >"$work/sim.env" 2>"$work/sim.log" &
simpid=$!
for _ in $(seq 1 300); do
  grep -q '^ZORV_CA_BUNDLE=' "$work/sim.env" 2>/dev/null && break
  kill -0 "$simpid" 2>/dev/null || { cat "$work/sim.log" >&2; exit 1; }
  sleep 0.2
done
ZORV_CONNECT_TO=$(sed -n 's/^ZORV_CONNECT_TO=//p' "$work/sim.env")
ZORV_CA_BUNDLE=$(sed -n 's/^ZORV_CA_BUNDLE=//p' "$work/sim.env")
export ZORV_CONNECT_TO ZORV_CA_BUNDLE
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"

# The NicoVideo account the simulator knows; its password needs form encoding.
mkdir -p "$XDG_CONFIG_HOME/Quillmere"
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
