#!/usr/bin/env bash
# Installs what is missing, builds everything warning-free and runs every test; then builds
# the non-UI layers with address and undefined-behaviour sanitizers and runs their tests
# again; then runs each fuzz target for a short time. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

jobs=$(nproc)
"$root/scripts/build.sh" "$root/build" -DDTOOL_WERROR=ON
(cd "$root/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

"$root/scripts/build.sh" "$root/build-asan" -DDTOOL_WERROR=ON -DDTOOL_SANITIZE=ON -DDTOOL_BUILD_UI=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")

"$root/scripts/fuzz.sh" 10
