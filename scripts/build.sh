#!/usr/bin/env bash
# Configures and builds into build/ (or $1) with Ninja and ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
# Compiler results are cached by paths relative to the checkout, so a fresh
# clone in another folder reuses what an earlier build of the same sources made.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=1
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
