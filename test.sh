#!/usr/bin/env bash
# Installs what is missing, checks formatting and the layering of the sources, builds and
# runs every test of the release preset and then of the asan preset, then the Windows check
# (cross-built programs and tests under Wine, outputs compared with the Linux build's).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
jobs=$(nproc)

echo "== format check"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror $files

echo "== layers: no upward include, no Qt below the user interface"
./scripts/check-layers.sh

for preset in release asan; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
    if [ "$preset" = release ]; then
        echo "== clang-tidy"
        ./scripts/tidy.sh build/release src tools
        echo "== Debian package"
        ./scripts/package-check.sh build/release
    fi
done
windows_start=$SECONDS
JOBS=$jobs ./scripts/windows-check.sh
echo "== windows check took $((SECONDS - windows_start)) s"
echo "all tests passed"
