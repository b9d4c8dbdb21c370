#!/usr/bin/env bash
# The program's main job on a fresh Debian 12 machine, with no network: build,
# then download sample videos end to end from local servers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
if [ -x build/bin/zorv-get ] && [ -x build/bin/zorv-sitesim ] && [ -f scripts/demo.sh ]; then
  exec bash scripts/demo.sh build
fi
cd build && ctest --output-on-failure -L net
