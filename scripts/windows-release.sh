#!/usr/bin/env bash
# The Windows release in one command: Qt for Windows built once per machine if it is missing,
# then the windows build, its tests under Wine, the CLI and viewer outputs compared with Linux,
# and the installer and portable .zip in build/windows (checked by a silent install under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
scripts/setup.sh
nice -n 10 scripts/build-qt-windows.sh
rm -f build/windows/CMakeCache.txt  # the viewer is added once Qt for Windows exists
scripts/windows-check.sh
version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
echo "release files: build/windows/quillon-$version-win64.exe, build/windows/quillon-$version-win64.zip"
echo "windows release in $(((SECONDS - start) / 60)) minutes"
