#!/usr/bin/env bash
# Installs what is missing, checks formatting and the core's independence from Qt, builds and
# runs every test of the release preset and then of the asan preset, then the Windows check
# (cross-built programs and tests under Wine, outputs compared with the Linux build's).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
jobs=$(nproc)

echo "== format check"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror $files

echo "== core folders include no Qt header"
if grep -rnE '#\s*include\s*[<"](Q[A-Za-z]|qt)' src/datalog src/formula src/config src/legacy; then
    echo "a core file includes a Qt header" >&2
    exit 1
fi

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
