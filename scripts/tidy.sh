#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the sources of the given folders, using the
# compile commands of a configured build; fails on any finding.
# Usage: scripts/tidy.sh BUILD_DIR FOLDER...
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
find "$@" -name '*.cpp' -print0 |
    xargs -0 -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet \
        --extra-arg=-Wno-unknown-warning-option 2>/dev/null
