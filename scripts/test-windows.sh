#!/usr/bin/env bash
# Cross-builds the layers without Qt (tools, core, link, records, session), the bench's link
# libraries and their tests for Windows with mingw-w64, and runs the tests under Wine. Installs
# what it needs on Debian 12. Prints each test program's summary and, at the end, what ran
# where; exits non-zero on a failure.
#
# The program is 32-bit (the instruments' link libraries are), so the 32-bit build is the one
# that matters. Where the machine runs 32-bit x86 programs natively, its tests are the check.
# Where it runs them only through qemu-i386 (binfmt_misc; a kernel without 32-bit support),
# 32-bit Wine itself breaks down under the emulator in some programs; there the same tests are
# also built for 64-bit Windows and run natively under 64-bit Wine, and they are the check:
#   - a 64-bit test program that fails, ends early or does not report its summary: failure;
#   - a 32-bit test program that reports a failing test or a failure: failure, wherever it ran;
#   - a 32-bit test program that ends under the emulator before its summary: reported as such,
#     with where it ended, and not counted (DTOOL_WIN32_STRICT=1 counts it as a failure).
#   scripts/test-windows.sh [build-dir]        (default: build-win)
# DTOOL_WIN32_RUN=native|emulated overrides the detection; DTOOL_WIN64=1 adds the 64-bit build
# where 32-bit runs natively. Where 32-bit is emulated, DTOOL_WIN32_TESTS=no builds the 32-bit
# tests without running them (minutes instead of half an hour), and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build-win"}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
started=$(date +%s)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# 32-bit Wine runs through multiarch.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture"
  as_root dpkg --add-architecture i386
  need_update=1
fi
packages=(cmake ninja-build googletest g++-mingw-w64-i686 g++-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix wine wine32:i386 wine64)
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

# How this machine runs 32-bit x86 programs: through qemu-i386 when binfmt_misc hands them to it
# (binfmt_misc comes before the kernel's own ELF loader), otherwise natively.
win32_run=${DTOOL_WIN32_RUN:-}
if [ -z "$win32_run" ]; then
  win32_run=native
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] || continue
    if grep -qx enabled "$entry" 2>/dev/null && grep -q '^interpreter .*qemu-i386' "$entry"; then
      win32_run=emulated
      win32_by=$(sed -n 's/^interpreter //p' "$entry")
    fi
  done
fi
with64=${DTOOL_WIN64:-}
[ "$win32_run" = emulated ] && with64=1
if [ "$win32_run" = emulated ]; then
  echo "32-bit x86 programs run here through ${win32_by:-qemu-i386} (emulated): the 64-bit build's"
  echo "tests under 64-bit Wine are the check; the 32-bit ones run too, see the end."
else
  echo "32-bit x86 programs run here natively: the 32-bit build's tests are the check."
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# build <project> <googletest> <toolchain>: GoogleTest for Windows from the source Debian's
# googletest package installs, in $dir/<googletest>, then the project in $dir/<project>.
build() {
  local name=$1 gtest="$dir/$2" toolchain=$3
  local project="$dir/$name"
  if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "Building GoogleTest for Windows ($name)"
    cmake -S /usr/src/googletest -B "$gtest/build" "${generator[@]}" "${launcher[@]}" \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$gtest/install" -Dgtest_force_shared_crt=ON >/dev/null
    cmake --build "$gtest/build" --parallel "$(nproc)"
    cmake --install "$gtest/build" >/dev/null
  fi
  echo "Building for Windows ($name) in $project"
  if [ ! -f "$project/build.ninja" ] && [ ! -f "$project/Makefile" ]; then
    cmake -S "$root" -B "$project" "${generator[@]}" "${launcher[@]}" \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DGTest_DIR="$gtest/install/lib/cmake/GTest" -DDTOOL_BUILD_UI=OFF -DDTOOL_WERROR=ON >/dev/null
  fi
  cmake --build "$project" --parallel "$(nproc)"
}
build project googletest "$root/cmake/mingw-i686.cmake"
if [ -n "$with64" ]; then
  build project64 googletest64 "$root/cmake/mingw-x86_64.cmake"
fi

# 64-bit programs start at once through wine64 itself; "wine" would start its 32-bit loader
# first, which takes a minute and more where that is emulated.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)

# Wine's own folder for these runs (64-bit, for 32- and 64-bit programs), kept between runs and
# between clones like the compiler cache: making it takes minutes. DTOOL_WINEPREFIX names
# another.
export WINEPREFIX="${DTOOL_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/dtoolpc/wineprefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DTOOL_TEST=1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix in $WINEPREFIX (once)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$wine64" wineboot --init >/dev/null 2>&1 || true
fi
# One Wine server for all the test programs (one that runs already for the prefix stays).
wineserver -p 600 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT

failed=()   # counted failures
ended=()    # 32-bit programs ended by the emulator, not counted
report=()   # one line a program, for the summary at the end

# run <project> <name> <how> <wine>: runs every test program of the build; how is "native" or
# "emulated".
run() {
  local project=$1 name=$2 how=$3 loader=$4 exe log rc s summary where ok limit
  cd "$dir/$project/bin"
  for exe in *_tests.exe; do
    echo "== $name/$exe ($how)"
    log="$dir/$name-${exe%.exe}.log"
    s=$(date +%s)
    rc=0
    # A program that hangs ends: all of a 64-bit one takes seconds, a 32-bit one under the
    # emulator a minute or more.
    limit=300
    [ "$how" = emulated ] && limit=1800
    timeout "$limit" "$loader" "./$exe" >"$log" 2>&1 || rc=$?
    s=$(($(date +%s) - s))
    summary=$(grep -E '^\[ *(PASSED|SKIPPED) *\] [0-9]+ tests?' "$log" | sed 's/[,.].*//' | tr -s ' ' |
      tr '\n' ' ' || true)
    # A failed test, or a failure reported before the program ended: a failure, wherever it ran.
    if grep -qE '^\[  FAILED  \] |: Failure$' "$log"; then
      grep -E '^\[  FAILED  \]|: Failure$' "$log" | sort -u
      failed+=("$name/$exe")
      report+=("$name/$exe ($how): FAILED, ${s} s")
    elif [ "$rc" -eq 0 ] && grep -qE '^\[=+\] [0-9]+ tests? from .* ran' "$log"; then
      echo "$summary"
      report+=("$name/$exe ($how): ${summary}${s} s")
    else
      # Ended before its summary: where, and what it said last.
      where=$(grep -E '^\[ RUN +\]' "$log" | tail -n 1 | sed 's/^\[ RUN *\] //' || true)
      ok=$(grep -cE '^\[ +OK +\]' "$log" || true)
      tail -n 5 "$log"
      echo "ended with status $rc before its summary, after $ok passed tests${where:+, in $where}"
      if [ "$how" = emulated ] && [ -z "${DTOOL_WIN32_STRICT:-}" ]; then
        ended+=("$name/$exe")
        report+=("$name/$exe ($how): ENDED under the emulator (status $rc) after $ok passed tests${where:+, in $where}; not counted, ${s} s")
      else
        failed+=("$name/$exe")
        report+=("$name/$exe ($how): FAILED, ended with status $rc${where:+ in $where}, ${s} s")
      fi
    fi
  done
}
if [ -n "$with64" ]; then
  run project64 win64 native "$wine64"
fi
if [ "$win32_run" = emulated ] && [ "${DTOOL_WIN32_TESTS:-}" = no ]; then
  report+=("win32: built, its tests NOT RUN (DTOOL_WIN32_TESTS=no; they would run emulated)")
else
  run project win32 "$win32_run" wine
fi

echo
echo "== What ran where ($(($(date +%s) - started)) s)"
printf '%s\n' "${report[@]}"
if [ ${#ended[@]} -gt 0 ]; then
  echo "Ended under qemu-i386 before their summary, not counted: ${ended[*]}"
  echo "(32-bit Wine breaks down in the emulator; the same tests' result is the 64-bit build's above)"
fi
if [ ${#failed[@]} -gt 0 ]; then
  echo "Windows tests FAILED: ${failed[*]} (logs in $dir)"
  exit 1
fi
echo "All Windows tests passed"
