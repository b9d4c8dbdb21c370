#!/usr/bin/env bash
# Builds the Debian package from a build folder (default build/) and checks
# it the way Debian would: lintian on the .deb (an error or a warning fails
# the check; informational tags are not shown) and desktop-file-validate on
# the menu entry (any message from it fails the check).
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log" >&2
  exit 1
fi
debs=("$out"/zorv_*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "check-package: expected one zorv_*.deb in $out" >&2
  exit 1
fi
root=()
[ "$(id -u)" -ne 0 ] || root=(--allow-root)
echo "lintian $(basename "${debs[0]}")"
lintian "${root[@]}" --fail-on error,warning "${debs[0]}"
echo "desktop-file-validate packaging/zorv.desktop"
messages="$(desktop-file-validate packaging/zorv.desktop 2>&1)" || { echo "$messages" >&2; exit 1; }
if [ -n "$messages" ]; then
  echo "$messages" >&2
  exit 1
fi
