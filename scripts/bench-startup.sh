#!/usr/bin/env bash
# The start-up benchmark: how long DToolPc takes from its start to the first turn of its event
# loop (and its end right after), against a minimal Qt window doing the same, both timed with
# /usr/bin/time over a series of runs on the offscreen platform.
#   scripts/bench-startup.sh [runs, default 20]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-20}
"$root/scripts/deps.sh"
if [ ! -x /usr/bin/time ]; then
  as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends time
fi
"$root/scripts/build.sh" "$root/build" >/dev/null
cmake --build "$root/build" --target dtool_startup_probe dtool_minimal_window >/dev/null

# The program reads and writes its settings file beside itself: it runs from a folder of its
# own under its own name, with its link libraries, help files and a settings file of defaults
# (without one, the start stops at the message about it), on the built-in bench.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$root/build/bin/dtool_startup_probe" "$dir/DToolPc"
cp "$root/build/bin/dtool_minimal_window" "$root/build/bin/"*.so "$dir/"
cp -r "$root/build/bin/Help" "$dir/"
cp "$root/fuzz/corpus/setfile/defaults.SET" "$dir/DToolPc.SET"
export QT_QPA_PLATFORM=offscreen
unset DTOOL_BENCH DTOOL_BENCH_STATE DTOOL_BENCH_TRACE

# Seconds for one run: the whole series under /usr/bin/time, divided by the runs.
series() {
  local program=$1
  timeout 60 "$program" >/dev/null 2>&1 # a first start, not counted
  local total
  total=$(/usr/bin/time -f %e bash -c 'for ((i = 0; i < $1; ++i)); do timeout 60 "$0" >/dev/null 2>&1; done' \
    "$program" "$runs" 2>&1 >/dev/null | tail -1)
  awk -v t="$total" -v n="$runs" 'BEGIN { printf "%.1f", 1000 * t / n }'
}
minimal=$(series "$dir/dtool_minimal_window")
program=$(series "$dir/DToolPc")
echo "start to the first event-loop turn, mean of $runs runs:"
echo "  minimal Qt window  ${minimal} ms"
echo "  DToolPc            ${program} ms"
awk -v p="$program" -v m="$minimal" 'BEGIN { printf "  ratio              %.2f\n", p / m }'
