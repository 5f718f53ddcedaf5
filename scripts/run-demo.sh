#!/usr/bin/env bash
# Installs what is needed, builds, and starts Quadrel.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
quadrel_install_deps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
if [ ! -x build/src/app/quadrel ]; then
    echo "The program itself is not built yet; the libraries and tests are." >&2
    exit 0
fi
exec build/src/app/quadrel
