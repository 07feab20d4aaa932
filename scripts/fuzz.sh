#!/usr/bin/env bash
# Fuzzes the 3DS loader with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer
# for a bounded time: scripts/fuzz.sh [seconds, default 60]. Fails on any finding; the input
# that caused it is kept in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMORA_BUILD_FUZZERS=ON -DLUMORA_BUILD_TESTS=ON
cmake --build "$build" -j2 --target lumora_fuzz_load_model test_l3ds_loader test_l3ds_robustness

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
mkdir "$corpus/seeds" "$corpus/found"
# Seeds: the 3DS fixtures and every model the loader's tests build in memory.
cp tests/model3ds/fixtures/*.3[dD][sS] "$corpus/seeds/"
for test in test_l3ds_loader test_l3ds_robustness; do
  LUMORA_SOURCE_DIR="$PWD" LUMORA_SEED_DIR="$corpus/seeds" "$build/bin/$test" >/dev/null
done

mkdir -p "$build/findings"
# The largest fixture is 13 kB; longer inputs only slow the search down.
"$build/bin/lumora_fuzz_load_model" -dict=fuzz/3ds.dict -max_total_time="$seconds" -max_len=16384 \
  -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$build/findings/" \
  "$corpus/found" "$corpus/seeds"
