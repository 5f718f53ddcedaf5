#!/usr/bin/env bash
# Reads the emulator's trace of a demo run: succeeds once units 1, 2 and 5
# answered the scan and unit 1, the one selected, was read through to its last
# status request (its EDID types: code 21 to address 21).
# Usage: .ci/demo-read.sh TRACE-FILE
set -euo pipefail
trace="$1"
for id in 1 2 5; do
    grep -qE "^ *[0-9.]+  out  .*  unit $id( |$)" "$trace" || exit 1
done
grep -qE '^ *[0-9.]+  in   21 21 ' "$trace"
