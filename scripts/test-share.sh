#!/usr/bin/env bash
# Prints the size of the test suite against the code it tests, counted the
# same way every time: non-blank lines of C++ (*.cpp, *.h) in tests/ against
# src/ and sim/, with the web panel's JavaScript and HTML counted with the
# code (web/) and its browser test with the tests (tests/web/).
# Usage: scripts/test-share.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# nonblank DIR PATTERN...: non-blank lines of the files under DIR named so.
nonblank() {
    local dir="$1"
    shift
    [ -d "$dir" ] || { echo 0; return; }
    local names=() p
    for p in "$@"; do names+=(-o -name "$p"); done
    find "$dir" -type f \( "${names[@]:1}" \) -print0 | xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true
}

code=$(($(nonblank src '*.cpp' '*.h') + $(nonblank sim '*.cpp' '*.h') + $(nonblank web '*.js' '*.html')))
tests=$(($(nonblank tests '*.cpp' '*.h' '*.js' '*.html')))
echo "code  $code"
echo "tests $tests"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "share %.1f %%\n", c ? 100 * t / c : 0 }'
