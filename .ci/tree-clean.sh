#!/usr/bin/env bash
# Fails when the work tree is not as checked out: tests write only to
# temporary folders. Ignored files count too (a stray *.pid or *.log is
# ignored by git but still a file left behind); only the build folders named
# on the command line may exist.
# Usage: .ci/tree-clean.sh [build-folder]...
set -euo pipefail
cd "$(dirname "$0")/.."
allowed='^!! (build/'
for folder in "$@"; do
    allowed+="|${folder%/}/"
done
allowed+=')$'
dirty=$(git status --porcelain --ignored --untracked-files=normal | grep -vE "$allowed" || true)
if [ -n "$dirty" ]; then
    echo "The tree is not clean after the tests:" >&2
    echo "$dirty" >&2
    exit 1
fi
echo "tree clean"
