#!/usr/bin/env bash
# Installs what is missing, builds everything warning-free and runs every test; then builds
# the non-UI layers with address and undefined-behaviour sanitizers and runs their tests
# again; then runs each fuzz target for a short time; then the Windows check under Wine. Exits
# non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

jobs=$(nproc)
"$root/scripts/build.sh" "$root/build" -DDTOOL_WERROR=ON
(cd "$root/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

"$root/scripts/build.sh" "$root/build-asan" -DDTOOL_WERROR=ON -DDTOOL_SANITIZE=ON -DDTOOL_BUILD_UI=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")

"$root/scripts/fuzz.sh" 10

# The Windows check: the layers without windows and the bench cross-built for Windows and their
# tests run under Wine; where 32-bit Windows programs would only run emulated, the 64-bit
# build's tests are the check and the 32-bit build is compiled. DTOOL_WINDOWS_CHECK=no leaves
# it out.
if [ "${DTOOL_WINDOWS_CHECK:-}" != no ]; then
  DTOOL_WIN32_TESTS=${DTOOL_WIN32_TESTS:-no} "$root/scripts/test-windows.sh"
fi
