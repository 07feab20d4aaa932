#!/usr/bin/env bash
# Renders damaged copies of the shipped model with both programs of the normal build and of the
# brute-force build (-DLUMORA_BRUTE_FORCE=ON), and fails where the four runs differ in console
# output (the timing line aside), exit code or picture bytes, where one exits with anything but
# 0 or 1, or where a failed run leaves a picture behind:
#     scripts/compare-searches.sh [models, default 100] [first seed, default 1]
# Each seed damages the model one way (tools/mutator: flipped bits, special floats, 16-bit counts
# and indices, a cut, a copied block). A model on which the runs part is kept in
# build/compare/differences/, named after its seed.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100}
first=${2:-1}
# Small, so that the brute-force runs take well under a second each.
size=48x36

scripts/install-deps.sh >&2
build() {  # folder, extra CMake arguments...
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF "${@:2}" >/dev/null
  cmake --build "$1" -j"$(nproc)" --target lumora lumora_serial lumora_mutate_model >/dev/null
}
build build/compare
build build/compare-brute-force -DLUMORA_BRUTE_FORCE=ON
programs=(build/compare/bin/lumora_serial build/compare/bin/lumora
  build/compare-brute-force/bin/lumora_serial build/compare-brute-force/bin/lumora)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
differences=build/compare/differences
mkdir -p "$differences"

# One run in a fresh folder; what it showed goes to result (the picture as bytes, after the
# console lines and the exit code).
run() {  # program, folder
  local folder=$2 code=0
  rm -rf "$folder"
  mkdir -p "$folder/data/CrystalModel"
  cp "$work/model.3DS" "$folder/data/CrystalModel/Crystal.3DS"
  cp scene_settings.xml "$folder/"
  (cd "$folder" && "$OLDPWD/$1" --resolution "$size" --no-wait </dev/null >output 2>&1) || code=$?
  {
    grep -v 'Time \[' "$folder/output" || true
    echo "exit code $code"
    if [ -f "$folder/Result1.png" ]; then cat "$folder/Result1.png"; fi
  } >"$folder/result"
  case $code in
    0) [ -s "$folder/Result1.png" ] ;;
    1) [ ! -e "$folder/Result1.png" ] ;;
    *) false ;;
  esac
}

failed=0
declare -A outcomes
for ((seed = first; seed < first + count; ++seed)); do
  build/compare/bin/lumora_mutate_model data/CrystalModel/Crystal.3DS "$work/model.3DS" "$seed"
  sound=yes
  for i in "${!programs[@]}"; do
    run "${programs[$i]}" "$work/run$i" || sound=no
  done
  for i in 1 2 3; do
    cmp -s "$work/run0/result" "$work/run$i/result" || sound=no
  done
  code=$(grep -a -m1 '^exit code' "$work/run0/result")
  outcomes[$code]=$((${outcomes[$code]:-0} + 1))
  if [ $sound = no ]; then
    failed=$((failed + 1))
    cp "$work/model.3DS" "$differences/seed-$seed.3DS"
    echo "compare-searches.sh: seed $seed: the runs part or one failed unsoundly; the model is in $differences/seed-$seed.3DS" >&2
  fi
done

for code in "${!outcomes[@]}"; do
  echo "$code: ${outcomes[$code]} models"
done
echo "seeds $first to $((first + count - 1)): $failed of $count models with differences or unsound runs"
[ $failed -eq 0 ]
