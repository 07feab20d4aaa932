#!/usr/bin/env bash
# Shows where lumora_serial spends the time of one render of the default scene: it builds a
# release build with line information (build/profile), samples a render with perf on the
# kernel's clock, which also works in virtual machines without hardware counters, and prints the
# share of the samples by the innermost of the project's source lines each sampled instruction
# was inlined from, and by the chain of up to three of the project's files above it. The search is
# inlined into one function, so perf's own report names only that function, or the intrinsic
# header a vector operation came from.
#
#   bash scripts/profile.sh [WIDTHxHEIGHT [LINES]]      (default 1024x768, 30 lines)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
size=${1:-1024x768}
lines=${2:-30}

scripts/install-deps.sh linux-perf python3 >&2
cmake -S . -B build/profile -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g -DLUMORA_BUILD_TESTS=OFF >&2
cmake --build build/profile -j"$(nproc)" --target lumora_serial >&2
program=$root/build/profile/bin/lumora_serial

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r data scene_settings.xml "$work"
(cd "$work" && perf record -q -e cpu-clock -F 5000 -o perf.data "$program" --no-wait --quiet --resolution "$size" \
  --output picture.png </dev/null >&2)
perf script -i "$work/perf.data" --show-mmap-events -F ip 2>/dev/null >"$work/samples.txt"

python3 - "$work/samples.txt" "$program" "$root/" "$lines" <<'EOF'
import collections
import re
import subprocess
import sys

samples_file, program, root, lines = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
# The program's executable mapping: [start(length) @ file offset ...] ... program.
mapping = re.compile(r"\[0x([0-9a-f]+)\(0x([0-9a-f]+)\) @ 0x([0-9a-f]+) .*\]: r-xp " + re.escape(program) + "$")
start = length = offset = None
counts = collections.Counter()
total = 0
for line in open(samples_file):
    found = mapping.search(line)
    if found:
        start, length, offset = (int(found.group(i), 16) for i in (1, 2, 3))
        continue
    if "PERF_RECORD" in line or not line.strip():
        continue
    total += 1
    ip = int(line.split()[0], 16)
    if start is not None and start <= ip < start + length:
        counts[ip - start + offset] += 1

by_line = collections.Counter()
by_chain = collections.Counter()
for address, count in counts.items():
    frames = subprocess.run(["addr2line", "-i", "-e", program, hex(address)], capture_output=True,
                            text=True).stdout.split()
    # The project's frames, innermost first, without the lane types' one-line wrappers.
    ours = [f[len(root):] for f in frames if f.startswith(root) and "Lanes.h" not in f]
    by_line[ours[0] if ours else "(elsewhere)"] += count
    by_chain[" > ".join(f.split(":")[0] for f in ours[:3]) or "(elsewhere)"] += count

print(f"{total} samples, {sum(counts.values())} of them in lumora_serial itself")
for title, table in (("by the chain of files", by_chain), ("by source line", by_line)):
    print(f"\n{title}:")
    for key, count in table.most_common(lines):
        print(f"{100.0 * count / total:5.1f} %  {key}")
EOF
