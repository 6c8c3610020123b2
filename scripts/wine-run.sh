#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix (build/wine unless WINEPREFIX
# is set), no debug chatter and no display, so that it works on a headless machine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers on the first start: the programs need neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
unset DISPLAY WAYLAND_DISPLAY
# The viewer and its tests find Qt's DLLs (and through them its plugins) in Qt for Windows as
# scripts/build-qt-windows.sh installs it.
qt="${QUILLON_QT_WINDOWS:-${HOME:-/nonexistent}/.cache/quillon/qt-6.4.2-mingw}"
# Wine passes no QT_ variables to the programs, and its own font folder is empty here: the
# folder gets the machine's DejaVu fonts (the Linux viewer's), which Qt's offscreen platform reads
# as it reads the fonts of Windows.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d "$fonts" ] && [ ! -f "$fonts/DejaVuSans.ttf" ] && [ -d /usr/share/fonts/truetype/dejavu ]; then
    cp /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf "$fonts/"
fi
if [ -f "$qt/.complete" ]; then
    export WINEPATH="Z:${qt//\//\\}\\bin${WINEPATH:+;$WINEPATH}"
fi
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
