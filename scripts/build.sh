#!/usr/bin/env bash
# Configures and builds the program, its link libraries and the tests.
#   scripts/build.sh [build-dir] [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build"}
shift || true
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# A compiler cache, where the machine has one, makes rebuilds of other folders cheap.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
else
  cmake -S "$root" -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
