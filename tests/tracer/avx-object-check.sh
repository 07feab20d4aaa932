#!/usr/bin/env bash
# Checks the object file of the AVX search (AvxSearch.cpp): it must define the path's entry
# point, and every function it may share with other object files (weak functions: inline
# functions and template instances) must be built for AvxLanes; shared data such as type
# information holds no instructions. A shared function without
# AvxLanes in its name, say a small inline helper, could be the copy the linker keeps for every
# caller, and would then run AVX instructions on processors that lack them.
set -euo pipefail
status=0
for object in "$@"; do
  symbols=$(nm --defined-only -C "$object")
  if ! grep -q " T avxAcceleratedNearestHit(" <<<"$symbols"; then
    echo "$object: avxAcceleratedNearestHit is not defined here"
    status=1
  fi
  shared=$(awk '$2 == "W"' <<<"$symbols")
  if grep -v "AvxLanes" <<<"$shared" | grep -q .; then
    echo "$object: shares functions that other object files may use:"
    grep -v "AvxLanes" <<<"$shared"
    status=1
  fi
done
exit "$status"
