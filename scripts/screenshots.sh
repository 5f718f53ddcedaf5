#!/usr/bin/env bash
# Pictures of the main window with the emulator's demo line-up, into
# docs/screenshots (or the folder given): the three pages, then the whole
# screen at common laptop sizes and under a dark palette.
# Usage: scripts/screenshots.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/screenshots}"
mkdir -p "$out"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target quadrel_window_shots
shots=build/tools/quadrel_window_shots
# Each picture on a virtual screen of its own size.
on_screen() {
    local size=$1
    shift
    xvfb-run -a -s "-screen 0 ${size}x24" "$shots" "$out" "$@"
}
on_screen 1280x1024
on_screen 1280x1024 names
on_screen 1280x720 main-1280x720 switch
on_screen 1366x768 audio-1366x768 audio
on_screen 1280x800 dark-1280x800 audio dark
on_screen 1280x720 large 1280x720
on_screen 1920x1080 large 1920x1080
