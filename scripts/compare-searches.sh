#!/usr/bin/env bash
# Renders seeded models with both programs of the normal build and of the brute-force build
# (-DLUMORA_BRUTE_FORCE=ON), and fails where the four runs differ in console output (the timing
# line aside), exit code or picture bytes, where one exits with anything but 0 or 1, or where a
# failed run leaves a picture behind:
#     scripts/compare-searches.sh [models, default 100] [first seed, default 1] [damaged|shapes]
# damaged (the default): each seed damages the shipped model one way (tools/mutator: flipped
# bits, special floats, 16-bit counts and indices, a cut, a copied block); odd seeds also place
# the camera anywhere in the room, looking anywhere, a quarter of them exactly level, so that the
# middle row of the odd picture height runs parallel to the floor and the ceiling.
# shapes: each seed makes a model of simple shapes and a camera for it (tools/shapes: spheres of
# radius 1e-4 to 1e4, boxes, triangle soups, slivers; a third of the cameras level with
# horizontal faces).
# The model and settings on which the runs part are kept in build/compare/differences/, named
# after their kind and seed.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100}
first=${2:-1}
kind=${3:-damaged}
case $kind in
  damaged | shapes) ;;
  *)
    echo "usage: scripts/compare-searches.sh [models] [first seed] [damaged|shapes]" >&2
    exit 2
    ;;
esac
# Small, so that the brute-force runs take well under a second each.
size=48x37

scripts/install-deps.sh >&2
build() {  # folder, extra CMake arguments...
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF "${@:2}" >/dev/null
  cmake --build "$1" -j"$(nproc)" --target lumora lumora_serial lumora_mutate_model lumora_shape_scene >/dev/null
}
build build/compare
build build/compare-brute-force -DLUMORA_BRUTE_FORCE=ON
programs=(build/compare/bin/lumora_serial build/compare/bin/lumora
  build/compare-brute-force/bin/lumora_serial build/compare-brute-force/bin/lumora)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
differences=build/compare/differences
mkdir -p "$differences"

# The settings of one seed: the shipped ones for even seeds, a camera of its own for odd ones.
settings() {  # seed
  if (($1 % 2 == 0)); then
    cat scene_settings.xml
    return
  fi
  awk -v seed="$1" 'BEGIN {
    srand(seed)
    level = rand() < 0.25
    printf "<scene_settings>\n"
    printf "<m_pos value_x=\"%.4f\" value_y=\"%.4f\" value_z=\"%.4f\"/>\n", 78 * rand() - 39, 78 * rand() - 39, 78 * rand() - 39
    printf "<m_forward value_x=\"%.4f\" value_y=\"%.4f\" value_z=\"%.4f\"/>\n", 2 * rand() - 1, level ? 0 : 2 * rand() - 1, 2 * rand() - 1
    printf "<m_viewAngle value_x=\"%.4f\" value_y=\"%.4f\"/>\n", 0.2 + 2.5 * rand(), 0.2 + 2.5 * rand()
    printf "<m_resolution value_x=\"1\" value_y=\"1\"/>\n"
    printf "<max_depth_ value=\"%d\"/>\n", 1 + int(12 * rand())
    printf "<min_energy_ value=\"%s\"/>\n", rand() < 0.5 ? "0" : "0.000001"
    printf "</scene_settings>\n"
  }'
}

# One run in a fresh folder; what it showed goes to result (the picture as bytes, after the
# console lines and the exit code).
run() {  # program, folder
  local folder=$2 code=0
  rm -rf "$folder"
  mkdir -p "$folder/data/CrystalModel"
  cp "$work/model.3DS" "$folder/data/CrystalModel/Crystal.3DS"
  cp "$work/scene_settings.xml" "$folder/"
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
  if [ "$kind" = shapes ]; then
    build/compare/bin/lumora_shape_scene "$seed" "$work/model.3DS" "$work/scene_settings.xml"
  else
    build/compare/bin/lumora_mutate_model data/CrystalModel/Crystal.3DS "$work/model.3DS" "$seed"
    settings "$seed" >"$work/scene_settings.xml"
  fi
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
    cp "$work/model.3DS" "$differences/$kind-$seed.3DS"
    cp "$work/scene_settings.xml" "$differences/$kind-$seed.xml"
    echo "compare-searches.sh: $kind seed $seed: the runs part or one failed unsoundly; see $differences/$kind-$seed.*" >&2
  fi
done

for code in "${!outcomes[@]}"; do
  echo "$code: ${outcomes[$code]} models"
done
echo "$kind seeds $first to $((first + count - 1)): $failed of $count models with differences or unsound runs"
[ $failed -eq 0 ]
