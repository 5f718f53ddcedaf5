#!/usr/bin/env bash
# Installs what is needed, builds everything with warnings as errors, and runs
# every test. Usage: scripts/run-tests.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
quadrel_install_deps tests
build="${1:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUADREL_WERROR=ON \
    -DQUADREL_BUILD_TESTS=ON -DQUADREL_BUILD_BENCH=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
