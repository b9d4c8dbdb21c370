#!/usr/bin/env bash
# Retakes the pictures of the help pages and the README: runs the window
# tests (labels gui and e2e; e2e on its own Xvfb display), which save their
# captures in <build>/screenshots/, and copies every capture into
# resources/help/images/ and docs/images/. Usage: scripts/update-screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
bash scripts/build.sh "$dir"
rm -rf "$dir/screenshots"
(cd "$dir" && ctest --output-on-failure -j2 -L 'gui|e2e')
shopt -s nullglob
shots=("$dir"/screenshots/*.png)
if [ "${#shots[@]}" -eq 0 ]; then
  echo "no screenshots in $dir/screenshots" >&2
  exit 1
fi
mkdir -p resources/help/images docs/images
cp "${shots[@]}" resources/help/images/
cp "${shots[@]}" docs/images/
echo "Copied ${#shots[@]} screenshots into resources/help/images/ and docs/images/:"
for f in "${shots[@]}"; do echo "  $(basename "$f")"; done
