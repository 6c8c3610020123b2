#!/usr/bin/env bash
# Makes the pictures of the README's tour in docs/tour/ from generated demo logs: the main window
# (alone and with a comparison log) and one picture per name that `quillon-viewer --show` knows.
# Builds nothing: it uses the release binaries (cmake --preset release && cmake --build --preset
# release first). The viewer runs offscreen under a scratch HOME, so that neither the user's
# preferences nor the display change the pictures.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(realpath -m "${QUILLON_BIN:-$here/build/release}")"
viewer="$bin/src/quillon-viewer"
samplegen="$bin/tools/quillon-samplegen"
out="$here/docs/tour"
for program in "$viewer" "$samplegen"; do
    if [ ! -x "$program" ]; then
        echo "make-tour: $program is missing; build the release preset first" >&2
        exit 1
    fi
done
if ! command -v pngquant >/dev/null; then
    echo "Installing pngquant (makes the pictures about three times smaller)"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -qq pngquant
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export XDG_CACHE_HOME="${XDG_CACHE_HOME:-$HOME/.cache}"  # keeps the font cache
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_RUNTIME_DIR="$scratch/run"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Named relative to the scratch folder, so that the properties show "demo.dl", not a temp path.
cd "$scratch"
main=demo.dl
comparison=demo-comparison.dl
"$samplegen" --out "$main" --frames 6000 --rate 100 --seed 1 >/dev/null
"$samplegen" --out "$comparison" --frames 5500 --rate 100 --seed 2 >/dev/null

shots="$scratch/shots"
mkdir -p "$shots"
shoot() {  # NAME, then the viewer's options
    local name="$1"
    shift
    # The offscreen platform's notes about window hints say nothing about the picture.
    "$viewer" --screenshot "$shots/$name.png" "$@" 2> >(grep -v "does not support" >&2)
}
shoot main --size 1366x768 --cursor 2400 "$main"
shoot main-compare --size 1366x768 --cursor 2400 --compare "$comparison" "$main"

# The names come from the viewer's own list (printed for an unknown name), so that new ones are
# pictured without a change here. "main" is the picture above.
names=$("$viewer" --screenshot "$shots/none.png" --show nosuch "$main" 2>&1 >/dev/null |
    sed -n 's/^  \([a-z0-9-]*\)  .*/\1/p' || true)
if [ -z "$names" ]; then
    echo "make-tour: the viewer listed no --show names" >&2
    exit 1
fi
failed=()
for name in $names; do
    [ "$name" = main ] && continue
    # A name that needs the comparison log is pictured with it.
    shoot "$name" --size 1366x768 --show "$name" "$main" 2>/dev/null ||
        shoot "$name" --size 1366x768 --compare "$comparison" --show "$name" "$main" ||
        failed+=("$name")
done

rm -f "$out"/*.png
mkdir -p "$out"
for png in "$shots"/*.png; do
    # pngquant writes nothing when the quality floor cannot be met: the picture is kept whole.
    pngquant --quality 70-95 --speed 1 --strip --force --output "$out/$(basename "$png")" "$png" ||
        cp "$png" "$out/"
done
du -ch "$out"/*.png | tail -1
if [ ${#failed[@]} -gt 0 ]; then
    echo "make-tour: no picture of: ${failed[*]}" >&2
    exit 1
fi
