#!/usr/bin/env bash
# Builds lumora and renders the default scene: run from anywhere, the picture is written to
# Result1.png in the project root, where the model and scene_settings.xml live.
# Pass "serial" to run lumora_serial instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/app -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF
cmake --build build/app -j"$(nproc)" --target lumora lumora_serial
if [ "${1:-}" = serial ]; then program=lumora_serial; else program=lumora; fi
exec "build/app/bin/$program"
