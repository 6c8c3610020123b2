#!/usr/bin/env bash
# Builds the Debian package from a built tree (default build/release) and checks that it holds the
# programs, the desktop integration and a valid desktop entry, and that its dependencies name the
# Qt runtime.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/quillon_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null 2>&1) || (cd "$build" && cpack -G DEB)
[ -f "$deb" ] || { echo "no package $deb" >&2; exit 1; }

# Files only: the folders they sit in are listed too.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$')
expected=(
    ./usr/bin/quillon-viewer ./usr/bin/quillon-cli ./usr/bin/quillon-samplegen
    ./usr/share/applications/quillon-viewer.desktop
    ./usr/share/mime/packages/quillon-datalog.xml
    ./usr/share/icons/hicolor/scalable/apps/quillon-viewer.svg
    ./usr/share/doc/quillon/copyright
)
for size in 16 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quillon-viewer.png")
done
for f in "${expected[@]}"; do
    grep -qxF "$f" <<<"$contents" || { echo "package lacks $f" >&2; exit 1; }
done
if grep -vE '^\./usr/(bin|share/(applications|mime/packages|icons/hicolor|doc/quillon))(/|$)' \
    <<<"$contents"; then
    echo "package holds files outside its folders (above)" >&2
    exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6; do
    grep -q "$lib" <<<"$depends" || { echo "Depends lacks $lib: $depends" >&2; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
desktop-file-validate "$tmp/usr/share/applications/quillon-viewer.desktop"
xmllint --noout "$tmp/usr/share/mime/packages/quillon-datalog.xml"
# The packaged programs run and carry the project's version.
for program in quillon-viewer quillon-cli; do
    said=$("$tmp/usr/bin/$program" --version)
    [ "$said" = "$program $version" ] || { echo "$program --version says '$said'" >&2; exit 1; }
done
echo "package $deb: ${#expected[@]} files checked, Depends: $depends"
