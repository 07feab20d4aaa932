#!/usr/bin/env bash
# Builds the normal build and the brute-force build (-DLUMORA_BRUTE_FORCE=ON) side by side,
# measures both and prints one markdown table of figures against their targets.
#
# Every ratio in the table comes from runs made by this one invocation. Timed spans are the
# programs' own "Time [...] seconds" reports, each the best of LUMORA_BENCH_REPEAT runs
# (default 5, or one when the normal build turns out to be brute force as well, since its
# default pictures then take minutes). The throughputs are medians of LUMORA_BENCH_ROUNDS runs
# (default 5), Embree's measured in turns with the accelerated search's within each run.
# LUMORA_BENCH_SIZE (default 1024x768) sets the size of the "default" rows, for quick checks of
# the script itself.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
repeat=${LUMORA_BENCH_REPEAT:-5}
rounds=${LUMORA_BENCH_ROUNDS:-5}
size=${LUMORA_BENCH_SIZE:-1024x768}
width=${size%x*}
height=${size#*x}
jobs=$(nproc)

scripts/install-deps.sh >&2
# GNU time for the peak resident memory, Embree for the reference search; both optional.
scripts/install-deps.sh time libembree-dev >&2 || echo "warning: could not install time and libembree-dev" >&2

build() {  # folder, extra CMake arguments...
  local folder=$1
  shift
  cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF -DLUMORA_BUILD_BENCHMARKS=ON "$@" >&2
  local targets=(lumora lumora_serial bench_nearest_hit bench_save bench_shipped_scene_serial)
  # Listed only when CMake found Embree (read whole: a pipe closed early would fail pipefail).
  if [[ $(cmake --build "$folder" --target help) == *bench_embree_nearest_hit* ]]; then
    targets+=(bench_embree_nearest_hit)
  fi
  cmake --build "$folder" -j"$jobs" --target "${targets[@]}" >&2
}
build build/bench
build build/bench-brute-force -DLUMORA_BRUTE_FORCE=ON
fast=$root/build/bench/bin
brute=$root/build/bench-brute-force/bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One field of a Google Benchmark CSV report, looked up by its column name.
benchmark_field() {  # csv file, column
  awk -F, -v column="$2" '
    NR == 1 { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); if ($i == column) at = i } }
    /^"/ && NR > 1 && at { print $at; exit }' "$1"
}

run_benchmark() {  # program, csv file[, benchmark filter]
  if ! "$1" --benchmark_format=csv --benchmark_filter="${3:-.}" >"$2" 2>"$2.log"; then
    cat "$2.log" >&2
    return 1
  fi
}

# A folder holding the model and the shipped settings at the given size.
job_folder() {  # name, width, height
  local folder=$work/$1
  mkdir -p "$folder"
  cp -r data "$folder/"
  sed "s|<m_resolution [^>]*>|<m_resolution value_x=\"$2\" value_y=\"$3\"/>|" scene_settings.xml \
    >"$folder/scene_settings.xml"
  echo "$folder"
}

# Runs a program in a job folder (the key it waits for at the end never comes: stdin is
# empty) and prints its timed span in seconds. With a third argument, GNU time writes the peak
# resident memory in KiB to that file.
timed_span() {  # program, folder[, memory file]
  local output=$2/console-$$-$RANDOM.txt
  if [ $# -ge 3 ] && [ -x /usr/bin/time ]; then
    (cd "$2" && /usr/bin/time -f %M -o "$3" "$1" </dev/null >"$output")
  else
    (cd "$2" && "$1" </dev/null >"$output")
  fi
  local span
  span=$(sed -n 's/.*Time \[\([0-9.]*\)\] seconds.*/\1/p' "$output")
  if [ -z "$span" ]; then
    echo "error: $1 reported no timed span:" >&2
    cat "$output" >&2
    return 1
  fi
  echo "$span"
}

# The middle value, or the mean of the two middle ones.
median() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# The best and the worst of some timed spans.
fastest() { printf '%s\n' "$@" | sort -g | head -n 1; }
slowest() { printf '%s\n' "$@" | sort -g | tail -n 1; }
calc() { awk "BEGIN { printf \"$1\", $2 }"; }
# Three significant figures, whole numbers from 100 on.
figure() { awk "BEGIN { v = $1; printf (v >= 100 ? \"%.0f\" : \"%.3g\"), v }"; }
# Targets are judged on unrounded values.
meets() { awk "BEGIN { print ($1) ? \"yes\" : \"**no**\" }"; }

echo "nearest-hit throughput ..." >&2
run_benchmark "$brute/bench_nearest_hit" "$work/brute-rays.csv" nearestHitRecordedRays
run_benchmark "$fast/bench_nearest_hit" "$work/portable-rays.csv" portablePathRecordedRays
brute_rate=$(benchmark_field "$work/brute-rays.csv" items_per_second)
portable_rate=$(benchmark_field "$work/portable-rays.csv" items_per_second)
fast_rates=() paired_rates=()
for _ in $(seq "$rounds"); do
  run_benchmark "$fast/bench_nearest_hit" "$work/fast-rays.csv" nearestHitRecordedRays
  fast_rates+=("$(benchmark_field "$work/fast-rays.csv" items_per_second)")
  run_benchmark "$fast/bench_nearest_hit" "$work/paired-rays.csv" pairedRecordedRays
  paired_rates+=("$(benchmark_field "$work/paired-rays.csv" items_per_second)")
done
fast_rate=$(median "${fast_rates[@]}")
paired_rate=$(median "${paired_rates[@]}")
fast_path=$(awk -v path="$(benchmark_field "$work/fast-rays.csv" path)" \
  'BEGIN { print (path == 2) ? "AVX-512" : (path == 1) ? "AVX2" : "portable" }')
# Where the render takes the AVX-512 path, the AVX2 path that processors without it take as well.
avx2_rate=
if [ "$fast_path" = AVX-512 ]; then
  run_benchmark "$fast/bench_nearest_hit" "$work/avx2-rays.csv" avx2PathRecordedRays
  avx2_rate=$(benchmark_field "$work/avx2-rays.csv" items_per_second)
fi
ray_count=$(benchmark_field "$work/fast-rays.csv" rays)
# Against Embree, the two searches take turns within one process, a slice of rays each
# (acceleratedAgainstEmbreeInTurns), so that the machine's drift meets both alike; the figures
# are medians over the rounds.
embree_rate=
embree_ratio=
if [ -x "$fast/bench_embree_nearest_hit" ]; then
  embree_rates=() embree_ratios=()
  for _ in $(seq "$rounds"); do
    run_benchmark "$fast/bench_embree_nearest_hit" "$work/embree-rays.csv" acceleratedAgainstEmbreeInTurns
    embree_rates+=("$(benchmark_field "$work/embree-rays.csv" embree_rate)")
    embree_ratios+=("$(benchmark_field "$work/embree-rays.csv" ratio)")
  done
  embree_rate=$(median "${embree_rates[@]}")
  embree_ratio=$(median "${embree_ratios[@]}")
fi

# What leaving out the dim rays saves the accelerated build: tracing every ray against its pixel
# colours, one thread, in turns within one process (pixelColourAgainstEveryRayInTurns).
echo "dim rays ..." >&2
every_ray_ratios=()
for _ in $(seq "$rounds"); do
  run_benchmark "$fast/bench_shipped_scene_serial" "$work/dim-rays.csv" pixelColourAgainstEveryRayInTurns
  every_ray_ratios+=("$(benchmark_field "$work/dim-rays.csv" ratio)")
done
every_ray_ratio=$(median "${every_ray_ratios[@]}")

echo "timed spans at 256x192 ..." >&2
small_brute=$(job_folder small-brute 256 192)
small_fast=$(job_folder small-fast 256 192)
brute_small=$(timed_span "$brute/lumora" "$small_brute")
fast_small_spans=()
for _ in $(seq "$repeat"); do
  fast_small_spans+=("$(timed_span "$fast/lumora" "$small_fast")")
done
fast_small=$(fastest "${fast_small_spans[@]}")
if cmp -s "$small_brute/Result1.png" "$small_fast/Result1.png"; then same_small=identical; else same_small=different; fi
if [ -z "${LUMORA_BENCH_REPEAT:-}" ] && awk -v span="$fast_small" 'BEGIN { exit !(span > 5) }'; then
  echo "the normal build is not accelerated: one run of each default picture" >&2
  repeat=1
fi

echo "timed spans at ${width}x$height, parallel limit ..." >&2
alone=$(job_folder alone "$width" "$height")
parallel=$(job_folder parallel "$width" "$height")
pair_a=$(job_folder pair-a "$width" "$height")
pair_b=$(job_folder pair-b "$width" "$height")
serial_spans=() parallel_spans=() pair_spans=() peak_kib=0
for _ in $(seq "$repeat"); do
  serial_spans+=("$(timed_span "$fast/lumora_serial" "$alone")")
  parallel_spans+=("$(timed_span "$fast/lumora" "$parallel" "$work/memory.txt")")
  if [ -s "$work/memory.txt" ]; then
    peak_kib=$(awk -v a="$peak_kib" '{ print ($1 > a) ? $1 : a }' "$work/memory.txt")
  fi
  # Two serial runs started together; their mean span measures what two busy cores deliver.
  timed_span "$fast/lumora_serial" "$pair_a" >"$work/pair-a.txt" &
  first=$!
  timed_span "$fast/lumora_serial" "$pair_b" >"$work/pair-b.txt" &
  second=$!
  wait "$first"
  wait "$second"
  pair_spans+=("$(cat "$work/pair-a.txt" "$work/pair-b.txt" | awk '{ s += $1 } END { print s / 2 }')")
done
serial_span=$(fastest "${serial_spans[@]}")
parallel_span=$(fastest "${parallel_spans[@]}")
pair_span=$(fastest "${pair_spans[@]}")
# The slowest of each program's runs against its best: a machine whose speed drifts shows here,
# and lumora, whose two threads wait for each other at the end of every row, shows it more.
serial_slowest=$(slowest "${serial_spans[@]}")
parallel_slowest=$(slowest "${parallel_spans[@]}")
if cmp -s "$alone/Result1.png" "$parallel/Result1.png"; then same_default=identical; else same_default=different; fi

echo "save ..." >&2
run_benchmark "$fast/bench_save" "$work/save.csv"
save_ms=$(benchmark_field "$work/save.csv" real_time)
png_bytes=$(benchmark_field "$work/save.csv" png_bytes)
default_bytes=$(benchmark_field "$work/save.csv" default_level_bytes)

measured_limit="2 * $serial_span / $pair_span"
limit=$measured_limit
limit_note=
# Two runs cannot do more than twice the work of one: above that, the machine slowed the lone
# runs, and the share is judged against 2 instead.
if awk "BEGIN { exit !($measured_limit > 2) }"; then
  limit=2
  limit_note=" (above 2, which two runs cannot reach: the lone runs were slowed; the share below is of 2)"
fi
speedup="$serial_span / $parallel_span"
share="100 * ($speedup) / ($limit)"
save_share="100 * $save_ms / 1000 / $parallel_span"
size_ratio="$png_bytes / $default_bytes"
small_ratio="$brute_small / $fast_small"

echo
echo "Measured on $(nproc) cores, $(date -u +%Y-%m-%d); nearest-hit rates are one thread over $(calc %.0f "$ray_count") recorded rays of the default scene."
echo
echo "| measure | figure | target | met |"
echo "|---|---|---|---|"
echo "| nearest-hit throughput, brute force | $(figure "$brute_rate / 1e6") M rays/s | | |"
echo "| nearest-hit throughput, accelerated ($fast_path path, one ray at a time; median of $rounds runs) | $(figure "$fast_rate / 1e6") M rays/s ($(figure "$fast_rate / $brute_rate") × brute force) | | |"
echo "| nearest-hit throughput, accelerated, two rays at a time as the render searches the two rays of a split ($fast_path path; median of $rounds runs) | $(figure "$paired_rate / 1e6") M rays/s ($(figure "$paired_rate / $fast_rate") × one at a time) | | |"
if [ -n "$avx2_rate" ]; then
  echo "| nearest-hit throughput, accelerated, AVX2 path (for processors without AVX-512) | $(figure "$avx2_rate / 1e6") M rays/s | | |"
fi
echo "| nearest-hit throughput, accelerated, portable path (for processors without AVX2) | $(figure "$portable_rate / 1e6") M rays/s | | |"
if [ -n "$embree_rate" ]; then
  echo "| nearest-hit throughput, Embree rtcIntersect1 (in turns with the accelerated search within one process, a slice of rays each; median of $rounds runs) | $(figure "$embree_rate / 1e6") M rays/s (accelerated: $(figure "$embree_ratio") × Embree) | accelerated ≥ Embree | $(meets "$embree_ratio >= 1") |"
else
  echo "| nearest-hit throughput, Embree rtcIntersect1 | not measured (libembree-dev missing) | accelerated ≥ Embree | |"
fi
echo "| timed span 256 × 192, brute-force build | $brute_small s | | |"
echo "| timed span 256 × 192, accelerated build | $fast_small s ($(figure "$small_ratio") × faster) | ≥ 200 × faster (aim 400 ×) | $(meets "$small_ratio >= 200") |"
echo "| pictures of the two builds, 256 × 192 | $same_small | identical | $(meets "\"$same_small\" == \"identical\"") |"
echo "| leaving out the rays too dim to change a byte: the accelerated build's pixels at 256 × 192 with every ray traced, against as the programs render them (one thread, in turns within one process, a few rows each; median of $rounds runs) | $(calc %.2f "$every_ray_ratio") × the time | | |"
echo "| timed span $width × $height, lumora_serial | $serial_span s | | |"
echo "| timed span $width × $height, lumora | $parallel_span s | report it; well under 1 s | |"
echo "| pictures of lumora and lumora_serial, $width × $height | $same_default | identical | $(meets "\"$same_default\" == \"identical\"") |"
echo "| parallel limit: two lumora_serial runs together against one alone | $(calc %.2f "$measured_limit") × the work per unit time$limit_note | | |"
echo "| slowest of the $repeat runs against the best: lumora_serial, lumora | $(calc %.2f "$serial_slowest / $serial_span") ×, $(calc %.2f "$parallel_slowest / $parallel_span") × (far above 1 where the machine's speed drifted) | | |"
echo "| lumora speed-up over lumora_serial | $(calc %.2f "$speedup") × ($(calc %.0f "$share") % of the limit) | ≥ 90 % of the limit | $(meets "$share >= 90") |"
echo "| save alone, default picture | $(calc %.1f "$save_ms") ms ($(calc %.1f "$save_share") % of lumora's timed span) | ≤ 5 % | $(meets "$save_share <= 5") |"
echo "| PNG size against libpng's default level | $(calc %.0f "$png_bytes / 1000") kB against $(calc %.0f "$default_bytes / 1000") kB ($(calc %.2f "$size_ratio") ×) | ≤ 1.25 × | $(meets "$size_ratio <= 1.25") |"
if [ "$peak_kib" -gt 0 ]; then
  echo "| peak resident memory, lumora $width × $height | $(calc %.1f "$peak_kib / 1024") MiB | ≤ 32 MiB | $(meets "$peak_kib <= 32 * 1024") |"
else
  echo "| peak resident memory, lumora $width × $height | not measured (/usr/bin/time missing) | ≤ 32 MiB | |"
fi
