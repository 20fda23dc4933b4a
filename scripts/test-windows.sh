#!/usr/bin/env bash
# Cross-builds the layers without Qt (tools, core, link, records, session), the bench's link
# libraries and their tests for 32-bit Windows with mingw-w64, and runs the tests under Wine.
# Installs what it needs on Debian 12. Prints each test program's summary; exits non-zero on
# a failure.
#   scripts/test-windows.sh [build-dir]        (default: build-win)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build-win"}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# 32-bit Wine runs through multiarch.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture"
  as_root dpkg --add-architecture i386
  need_update=1
fi
packages=(cmake ninja-build googletest g++-mingw-w64-i686 g++-mingw-w64-i686-posix wine wine32:i386 wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  as_root apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

toolchain="$root/cmake/mingw-i686.cmake"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# GoogleTest for Windows, from the source that Debian's googletest package installs.
gtest="$dir/googletest"
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "Building GoogleTest for Windows"
  cmake -S /usr/src/googletest -B "$gtest/build" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest/install" -Dgtest_force_shared_crt=ON >/dev/null
  cmake --build "$gtest/build" --parallel "$(nproc)"
  cmake --install "$gtest/build" >/dev/null
fi

echo "Building for Windows in $dir"
if [ ! -f "$dir/project/build.ninja" ] && [ ! -f "$dir/project/Makefile" ]; then
  cmake -S "$root" -B "$dir/project" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DGTest_DIR="$gtest/install/lib/cmake/GTest" -DDTOOL_BUILD_UI=OFF -DDTOOL_WERROR=ON >/dev/null
fi
cmake --build "$dir/project" --parallel "$(nproc)"

# Wine's own folder for these runs, kept between runs: making it takes minutes.
export WINEPREFIX="$dir/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DTOOL_TEST=1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix (once)"
  wineboot --init >/dev/null 2>&1 || true
fi
# One Wine server for all the test programs.
wineserver -p 600
trap 'wineserver -k 2>/dev/null || true' EXIT

failed=()
cd "$dir/project/bin"
for exe in *_tests.exe; do
  echo "== $exe"
  log="$dir/${exe%.exe}.log"
  if wine "./$exe" --gtest_brief=1 >"$log" 2>&1; then
    grep -E '^\[ *(PASSED|FAILED|SKIPPED) *\]|tests? ran' "$log" || tail -n 3 "$log"
  else
    grep -E '^\[ *(PASSED|FAILED|SKIPPED) *\]|tests? ran|Failure|FAILED' "$log" || tail -n 20 "$log"
    failed+=("$exe")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Windows tests FAILED: ${failed[*]} (logs in $dir)"
  exit 1
fi
echo "All Windows tests passed"
