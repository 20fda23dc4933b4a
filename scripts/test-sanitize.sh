#!/usr/bin/env bash
# Installs what is missing, builds the whole program, windows included, with the address and
# undefined-behaviour sanitizers into build-asan-ui/ and runs every test there (the windows on
# the offscreen platform). Longer than scripts/test.sh, which sanitizes the layers without
# windows only; run it before a merge that touches the windows. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
jobs=$(nproc)

"$root/scripts/build.sh" "$root/build-asan-ui" -DDTOOL_WERROR=ON -DDTOOL_SANITIZE=ON -DDTOOL_BUILD_UI=ON
# The program tests preload their operator robot into DToolPc, ahead of the sanitizer's runtime.
(cd "$root/build-asan-ui" && QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")
