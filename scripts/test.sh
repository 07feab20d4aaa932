#!/usr/bin/env bash
# Installs what lumora needs, builds it and runs every test: the whole suite in the release
# build (g++, warnings as errors; it includes valgrind's memcheck of both programs and the replay
# of every fuzz target's kept inputs), again under AddressSanitizer and UndefinedBehaviorSanitizer
# (clang), then a bounded fuzz run of every fuzz target (LUMORA_FUZZ_SECONDS each, default 60).
# Fails when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
  -DLUMORA_WERROR=ON -DLUMORA_BUILD_TESTS=ON -DLUMORA_BUILD_BENCHMARKS=ON
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMORA_WERROR=ON -DLUMORA_BUILD_TESTS=ON -DLUMORA_SANITIZE=ON
cmake --build build/sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

scripts/fuzz.sh "${LUMORA_FUZZ_SECONDS:-60}"
