#!/usr/bin/env bash
# The project's checks.
#   ./test.sh         installs what is missing, checks formatting and the layering of the sources,
#                     builds the release preset and runs every test (core, GUI offscreen, CLI,
#                     fuzz-corpus replay)
#   ./test.sh --full  the same, then the sanitizer build and its tests, clang-tidy, the Debian
#                     package check and the Windows check (cross-built programs and tests under
#                     Wine, outputs compared with the Linux build's); CI runs this one
set -euo pipefail
cd "$(dirname "$0")"
full=0
case "${1:-}" in
--full) full=1 ;;
"") ;;
*)
    echo "usage: ./test.sh [--full]" >&2
    exit 2
    ;;
esac
./scripts/setup.sh
jobs=$(nproc)
start=$SECONDS
step_start=$SECONDS
step() {
    echo "== $1 (previous step: $((SECONDS - step_start)) s)"
    step_start=$SECONDS
}

step "format check"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror $files

step "layers: no upward include, no Qt below the user interface"
./scripts/check-layers.sh

step "release build"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
step "release tests"
ctest --preset release -j "$jobs"

if [ "$full" -eq 1 ]; then
    step "clang-tidy"
    ./scripts/tidy.sh build/release src tools
    step "Debian package"
    ./scripts/package-check.sh build/release
    step "asan build"
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j "$jobs"
    step "asan tests"
    ctest --preset asan -j "$jobs"
    step "windows check"
    JOBS=$jobs ./scripts/windows-check.sh
fi
step "done"
echo "all tests passed in $((SECONDS - start)) s"
