#!/usr/bin/env bash
# Pictures of the main window on the Switch, Audio and Video pages with the
# emulator's demo line-up, into docs/screenshots (or the folder given).
# Usage: scripts/screenshots.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/screenshots}"
mkdir -p "$out"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target quadrel_window_shots
if [ -n "${DISPLAY:-}" ]; then
    build/tests/e2e/quadrel_window_shots "$out"
else
    xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/e2e/quadrel_window_shots "$out"
fi
