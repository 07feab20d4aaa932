#!/usr/bin/env bash
# Checks the object file of a search built for wider instructions (Avx2Search.cpp,
# Avx512Search.cpp):
#     avx-object-check.sh <entry point> <lane type> <object file>...
# It must define the path's entry point, and every function it may share with other object
# files (weak functions: inline functions and template instances) must be built for its lane
# type; shared data such as type information holds no instructions. A shared function without
# the lane type in its name, say a small inline helper, could be the copy the linker keeps for
# every caller, and would then run those instructions on processors that lack them.
set -euo pipefail
entry=$1
lanes=$2
shift 2
status=0
for object in "$@"; do
  symbols=$(nm --defined-only -C "$object")
  if ! grep -q " T $entry(" <<<"$symbols"; then
    echo "$object: $entry is not defined here"
    status=1
  fi
  shared=$(awk '$2 == "W"' <<<"$symbols")
  if grep -v "$lanes" <<<"$shared" | grep -q .; then
    echo "$object: shares functions that other object files may use:"
    grep -v "$lanes" <<<"$shared"
    status=1
  fi
done
exit "$status"
