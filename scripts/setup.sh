#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail
packages=(cmake ninja-build g++ clang clang-format clang-tidy libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-svg-dev xvfb xauth fonts-dejavu-core desktop-file-utils dpkg-dev
          libxml2-utils)
# The Windows check (scripts/windows-check.sh): the MinGW-w64 cross compiler, Wine and NSIS, without
# the recommended desktop extras.
windows_packages=(g++-mingw-w64-x86-64-posix wine64 nsis)
missing_of() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_windows < <(missing_of "${windows_packages[@]}")
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_windows[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]} ${missing_windows[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    if [ ${#missing[@]} -gt 0 ]; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
    fi
    if [ ${#missing_windows[@]} -gt 0 ]; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            "${missing_windows[@]}"
    fi
fi
