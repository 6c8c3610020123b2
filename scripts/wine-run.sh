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
if [ -f "$qt/.complete" ]; then
    export WINEPATH="Z:${qt//\//\\}\\bin${WINEPATH:+;$WINEPATH}"
fi
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
