#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and the address and undefined-behaviour
# sanitizers, then runs each for a while, starting from its committed corpus.
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
# Inputs the fuzzer finds go to build-fuzz/corpus/<target>/ (the committed corpus in
# fuzz/corpus/ is only read); an input that breaks a check or crashes a reader is kept as
# build-fuzz/artifacts/<target>-crash-... and the script fails. Replay one with
#   build-fuzz/bin/fuzz_<target> <file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
"$root/scripts/deps.sh"

dir="$root/build-fuzz"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDTOOL_FUZZ=ON -DDTOOL_SANITIZE=ON -DDTOOL_BUILD_UI=OFF
fi
cmake --build "$dir" --target dtool_fuzzers --parallel "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for corpus in "$root"/fuzz/corpus/*/; do
    targets+=("$(basename "$corpus")")
  done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
export QT_QPA_PLATFORM=offscreen
mkdir -p "$dir/artifacts"
failed=()
for target in "${targets[@]}"; do
  fuzzer="$dir/bin/fuzz_$target"
  if [ ! -x "$fuzzer" ]; then
    echo "fuzz: no target fuzz_$target for fuzz/corpus/$target" >&2
    failed+=("$target")
    continue
  fi
  mkdir -p "$dir/corpus/$target"
  echo "fuzz: $target for ${seconds} s"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-" \
      "$dir/corpus/$target" "$root/fuzz/corpus/$target" >"$dir/$target.log" 2>&1; then
    failed+=("$target")
    grep -E "Fuzz check failed|ERROR: |SUMMARY: |runtime error|Test unit written" "$dir/$target.log" >&2 || tail -20 "$dir/$target.log" >&2
  fi
  grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$dir/$target.log" | tr '\n' ' '
  echo
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]} (logs in $dir/<target>.log)" >&2
  exit 1
fi
echo "fuzz: every target ran ${seconds} s without a finding"
