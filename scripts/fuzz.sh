#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/fuzz_*.cpp) with clang++, libFuzzer, ASan and
# UBSan, and runs each for a bounded time from its seed corpus.
# Usage: scripts/fuzz.sh [seconds per target] [target...]   (default 20 s, every target)
# A failing input is left in build-fuzz/artifacts/ and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
bash scripts/install-deps.sh
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

mkdir -p build-fuzz/artifacts
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
passed=0
failed=0
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  seeds=fuzz/corpus/$name
  work=build-fuzz/corpus/$name # grows here, so the seeds in the repository stay small
  mkdir -p "$work" "$seeds"
  log=build-fuzz/$target.log
  if ./build-fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix=build-fuzz/artifacts/"$target"- "$work" "$seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${runs:-?} executions in ${seconds} s, nothing found"
    passed=$((passed + 1))
  else
    tail -n 40 "$log"
    echo "$target: FAILED (input in build-fuzz/artifacts/)"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
