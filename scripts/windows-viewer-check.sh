#!/usr/bin/env bash
# The Windows viewer under Wine, against the Linux viewer: --version, then a --screenshot of a
# generated log for the main window and for every --show name, on both systems; each pair must
# have the same size and mostly the same pixels (fonts differ, so not the same bytes). Needs the
# windows build with the viewer (Qt for Windows built) and the release build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=$root/build/release/src/quillon-viewer
gen=$root/build/release/tools/quillon-samplegen
windows=$root/build/windows/src/quillon-viewer.exe
[ -x "$linux" ] && [ -x "$gen" ] ||
    { cmake --preset release >/dev/null && cmake --build --preset release --target quillon-viewer quillon-samplegen; }
[ -f "$windows" ] || { echo "no Windows viewer in build/windows" >&2; exit 1; }
version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
export WINEPREFIX="$root/build/wine" WINEDEBUG=-all

answer=$(scripts/wine-run.sh "$windows" --version </dev/null | tr -d '\r')
if [ "$answer" != "quillon-viewer $version" ]; then
    echo "the Windows viewer answered '$answer' to --version" >&2
    exit 1
fi

work=build/windows-viewer-check
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"
cd "$work"
"$gen" --out run.dl --frames 3000 --seed 7 >/dev/null
"$gen" --out other.dl --frames 2600 --seed 11 >/dev/null
names=$( ("$linux" --screenshot x.png --show '?' run.dl 2>&1 || true) | sed -n 's/^  \([a-z-]*\)  .*/\1/p')
[ -n "$names" ] || { echo "the viewer listed no --show names" >&2; exit 1; }
failed=0
count=0
for name in $names; do
    args=(--size 1366x768 --show "$name")
    case $name in difference | comparison-* | align) args+=(--compare other.dl) ;; esac
    QT_QPA_PLATFORM=offscreen "$linux" --screenshot "linux/$name.png" "${args[@]}" run.dl \
        >/dev/null 2>&1 || { echo "$name: the Linux viewer failed" >&2; failed=1; continue; }
    if ! "$root/scripts/wine-run.sh" "$windows" --screenshot "windows/$name.png" "${args[@]}" run.dl \
        </dev/null >/dev/null 2>&1; then
        echo "$name: the Windows viewer failed" >&2
        failed=1
        continue
    fi
    printf '%-24s ' "$name"
    "$root/scripts/compare-pictures.py" "linux/$name.png" "windows/$name.png" \
        "${QUILLON_PICTURE_SHARE:-0.8}" || failed=1
    count=$((count + 1))
done
if [ "$failed" -ne 0 ]; then
    echo "the Windows viewer's pictures differ from Linux's (see $work)" >&2
    exit 1
fi
echo "$count pictures of the Windows viewer alike with Linux's"
