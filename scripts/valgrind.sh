#!/usr/bin/env bash
# Runs each program once under valgrind's memcheck on a tiny picture of the shipped model, in a
# temporary folder, and fails on any memory error or definite or indirect leak. Blocks the
# OpenMP runtime keeps until exit ("still reachable") are not counted.
#     scripts/valgrind.sh [program...]   (default: build/release/bin/lumora and lumora_serial)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 0 ]; then
  set -- "$root/build/release/bin/lumora" "$root/build/release/bin/lumora_serial"
fi

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir -p "$folder/data/CrystalModel"
cp "$root/data/CrystalModel/Crystal.3DS" "$folder/data/CrystalModel/"
cat > "$folder/scene_settings.xml" <<'XML'
<scene_settings>
    <m_pos value_x="0" value_y="4" value_z="40"/>
    <m_forward value_x="0" value_y="-0.4" value_z="-1"/>
    <m_viewAngle value_x="1.34948194" value_y="1.08083904"/>
    <m_resolution value_x="8" value_y="6"/>
    <max_depth_ value="8"/>
    <min_energy_ value="0.000001"/>
</scene_settings>
XML

status=0
for program in "$@"; do
  rm -f "$folder/Result1.png"
  echo "== valgrind $(basename "$program")"
  # The program waits for a key at the end; standard input from /dev/null answers it.
  if ! (cd "$folder" && valgrind --quiet --error-exitcode=99 --leak-check=full \
    --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect \
    "$program" </dev/null); then
    echo "valgrind.sh: $(basename "$program") failed under memcheck" >&2
    status=1
  elif [ ! -s "$folder/Result1.png" ]; then
    echo "valgrind.sh: $(basename "$program") wrote no picture" >&2
    status=1
  fi
done
exit $status
