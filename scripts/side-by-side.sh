#!/usr/bin/env bash
# Compares the timed spans of two builds of a program on a machine whose speed drifts: in each
# round both render the default scene at the same moment, one per core, and swap cores for the
# next round, so that each pair of spans meets the same conditions. Prints the median and the
# fastest span of each, and the median of the per-round ratios B / A (below 1: B is faster).
#
#   bash scripts/side-by-side.sh PROGRAM_A PROGRAM_B [WIDTHxHEIGHT [ROUNDS]]
#
# For single-threaded programs (lumora_serial) on a machine with at least two cores; two
# copies of lumora would compete for the same cores.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 PROGRAM_A PROGRAM_B [WIDTHxHEIGHT [ROUNDS]]" >&2
  exit 2
fi
programA=$(realpath "$1")
programB=$(realpath "$2")
size=${3:-256x192}
rounds=${4:-10}
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs a program on one core and prints its timed span in seconds.
timed_span() {  # core, program, picture
  taskset -c "$1" "$2" --no-wait --quiet --resolution "$size" --output "$3" </dev/null |
    sed -n 's/.*Time \[\([0-9.]*\)\] seconds.*/\1/p'
}

spansA=()
spansB=()
for ((round = 0; round < rounds; ++round)); do
  coreA=$((round % 2))
  timed_span "$coreA" "$programA" "$work/a.png" >"$work/a.txt" &
  timed_span "$((1 - coreA))" "$programB" "$work/b.png" >"$work/b.txt" &
  wait
  spansA+=("$(cat "$work/a.txt")")
  spansB+=("$(cat "$work/b.txt")")
done

python3 - "${spansA[*]}" "${spansB[*]}" <<'EOF'
import statistics
import sys

a = [float(span) for span in sys.argv[1].split()]
b = [float(span) for span in sys.argv[2].split()]
ratios = [later / earlier for earlier, later in zip(a, b)]
print(f"A: median {statistics.median(a):.4f} s, fastest {min(a):.4f} s")
print(f"B: median {statistics.median(b):.4f} s, fastest {min(b):.4f} s")
print(f"B / A per round: median {statistics.median(ratios):.4f}, "
      f"B faster in {sum(ratio < 1 for ratio in ratios)} of {len(ratios)} rounds")
EOF
