#!/usr/bin/env bash
# The test suite built by clang 14 with the address and undefined-behaviour
# sanitizers. Usage: scripts/run-sanitized-tests.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
quadrel_install_deps sanitizer
build="${1:-build-asan}"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQUADREL_WERROR=ON -DQUADREL_SANITIZE=ON -DQUADREL_FUZZ=ON -DQUADREL_BUILD_BENCH=OFF
cmake --build "$build" -j2
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure -j2
