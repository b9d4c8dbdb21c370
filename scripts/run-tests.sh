#!/usr/bin/env bash
# The whole test suite from a fresh Debian 12 machine: packages, build, ctest
# (every label: unit, net, tool, gui on the offscreen platform, e2e on a
# private Xvfb display), the Debian package checks, then the sanitizer build
# and the thread-sanitizer build of the tests that run threads.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The structure of src/: folder rules, include circles, where notifications are read.
python3 scripts/check-layers.py
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j2)
# The Debian package of that build through lintian, and the menu entry.
bash scripts/check-package.sh build
if [ "${ZORV_SKIP_SANITIZE:-0}" != "1" ]; then
  # The sanitizer build leaves the widget layer out (-DZORV_GUI=OFF), which
  # also proves the core, zorv-get and their tests build without it. The
  # window tests run in the build above: under the sanitizers Qt's platform
  # plugins and font libraries report leaks of their own, and building the
  # widget layer a second time would push CI past its time budget.
  bash scripts/build.sh build-asan -DZORV_SANITIZE=ON -DZORV_BENCH=OFF -DZORV_GUI=OFF
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j2)
fi
if [ "${ZORV_SKIP_TSAN:-0}" != "1" ]; then
  # The thread sanitizer on what runs threads: the download worker, the
  # console runner, the preview player and the main window. Only those test
  # targets (and what they need) are built, which keeps the step short. Qt,
  # glib and the X libraries are not instrumented; tests/tsan.supp silences
  # reports whose racing access runs inside them, never ones in this program's code.
  # die_after_fork=0: the tests start Xvfb, ffmpeg and openssl through
  # QProcess from a process that already runs threads, and the sanitizer
  # would otherwise end such a child before it reaches exec.
  tsan_tests=(test_worker test_console_process test_preview_e2e test_mainwindow test_session test_session_window)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=1
  cmake -S . -B build-tsan -G Ninja -DZORV_SANITIZE=thread -DZORV_BENCH=OFF >/dev/null
  cmake --build build-tsan --target "${tsan_tests[@]}"
  (cd build-tsan && TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 second_deadlock_stack=1 suppressions=$PWD/../tests/tsan.supp" \
    ctest --output-on-failure -j2 -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\$")
fi
