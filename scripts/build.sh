#!/usr/bin/env bash
# Configures and builds the program, its link libraries and the tests.
#   scripts/build.sh [build-dir] [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build"}
shift || true
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
else
  cmake -S "$root" -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
