#!/usr/bin/env bash
# The whole test suite from a fresh Debian 12 machine: packages, build, ctest
# (every label), then the sanitizer build on every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j2)
if [ "${ZORV_SKIP_SANITIZE:-0}" != "1" ]; then
  bash scripts/build.sh build-asan -DZORV_SANITIZE=ON -DZORV_BENCH=OFF
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j2)
fi
