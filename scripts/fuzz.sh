#!/usr/bin/env bash
# Fuzzes with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer for a bounded time:
#     scripts/fuzz.sh [seconds per target, default 60] [target, default every target]
# The targets are the folders of fuzz/corpus/. Each runs from its committed seeds and
# regressions, and from what earlier runs found (build/fuzz/corpus/<target>/). Fails on any
# finding (crash, sanitizer report, leak, out-of-memory) and on any input that runs longer than
# a few seconds; the input is kept in build/fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz

if [ $# -ge 2 ]; then
  targets=("$2")
  if [ ! -d "fuzz/corpus/$2" ]; then
    echo "fuzz.sh: no target '$2'; the targets are: $(ls fuzz/corpus | tr '\n' ' ')" >&2
    exit 2
  fi
else
  mapfile -t targets < <(ls fuzz/corpus)
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMORA_BUILD_FUZZERS=ON -DLUMORA_BUILD_TESTS=OFF -DLUMORA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/lumora_fuzz_}"

failed=()
for target in "${targets[@]}"; do
  found="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$found" "$findings"
  options=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=16384
    -print_final_stats=1 -artifact_prefix="$findings/")
  if [ -f "fuzz/$target.dict" ]; then
    options+=(-dict="fuzz/$target.dict")
  fi
  # New inputs go to the first folder; the committed ones are only read.
  inputs=("$found" "fuzz/corpus/$target")
  if [ -d "fuzz/regressions/$target" ]; then
    inputs+=("fuzz/regressions/$target")
  fi
  echo "== fuzzing $target for $seconds s"
  if ! "$build/bin/lumora_fuzz_$target" "${options[@]}" "${inputs[@]}"; then
    failed+=("$target")
    echo "== FINDING in $target: the input is in $findings/." >&2
    echo "   Copy it to fuzz/regressions/$target/, named after the defect it pins, and fix the" >&2
    echo "   defect; the replay test (ctest -R fuzz_replay_$target) then runs it in every build." >&2
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in: ${failed[*]}" >&2
  exit 1
fi
