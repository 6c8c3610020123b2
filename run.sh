#!/usr/bin/env bash
# Builds the release preset and opens LOG in the viewer, or a generated demo log when no LOG is given.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
bin="$here/build/release"
log="${1:-}"
if [ -z "$log" ]; then
    log="$bin/demo.dl"
    [ -f "$log" ] || "$bin/tools/quillon-samplegen" --out "$log" --frames 6000 --rate 100 --seed 1
else
    log="$(cd "$(dirname "$log")" && pwd)/$(basename "$log")"
fi
if [ -x "$bin/src/quillon-viewer" ]; then
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
        echo "No display: running under xvfb-run"
        exec xvfb-run -a "$bin/src/quillon-viewer" "$log"
    fi
    exec "$bin/src/quillon-viewer" "$log"
fi
exec "$bin/src/quillon-cli" info "$log"
