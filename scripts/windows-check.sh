#!/usr/bin/env bash
# The Windows check: cross-builds the windows preset, runs its tests under Wine, then runs the
# command-line tool and the sample generator of the Linux release build and of the Windows build
# on the same generated logs, in a folder named with non-ASCII letters, and compares every file
# they write and everything they print, byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-$(nproc)}

export WINEPREFIX="$root/build/wine" WINEDEBUG=-all
server=$(command -v wineserver || command -v wineserver64 || echo /usr/lib/wine/wineserver64)

echo "== windows: build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

# One Wine server for the whole check (each program would otherwise start its own), started
# with a first program whose output goes nowhere: the helper processes Wine starts then keep no
# pipe of CTest's open.
"$server" -p 2>/dev/null || true  # one may be running already
trap '"$server" -k || true' EXIT
scripts/wine-run.sh build/windows/tools/quillon-samplegen.exe --help </dev/null >/dev/null 2>&1

echo "== windows: tests under Wine"
ctest --preset windows -j "$jobs"

echo "== windows: command-line outputs against Linux"
linux=build/release
if [ ! -x "$linux/src/quillon-cli" ] || [ ! -x "$linux/tools/quillon-samplegen" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$jobs" --target quillon-cli quillon-samplegen
fi
work=build/windows-check
rm -rf "$work"
folder="Läufe"  # non-ASCII on purpose: every path below passes through it

# run_all PLATFORM CLI GENERATOR: the same steps on either system, from $work/PLATFORM. Each
# step's standard output and exit status are kept for the comparison.
run_all() {
    local platform=$1 cli=$2 gen=$3
    mkdir -p "$work/$platform/$folder" "$work/$platform-docs"
    (
        cd "$work/$platform"
        step() {
            local name=$1
            shift
            local status=0
            "$@" >"$folder/$name.out" </dev/null || status=$?
            echo "$status" >"$folder/$name.status"
        }
        step gen-dl $gen --out "$folder/run.dl" --frames 3000 --seed 7
        step gen-dlz $gen --out "$folder/Überführung.dlz" --dlz --frames 1200 --seed 3 --zero-time 1.5
        step gen-v1 $gen --out "$folder/old1.dl" --legacy 1 --frames 300
        step gen-v3 $gen --out "$folder/old3.dl" --legacy 3 --frames 300 --trailing-bytes 77
        step gen-tail $gen --out "$folder/tail.dl" --frames 400 --trailing-bytes 1000
        step info $cli info "$folder/run.dl"
        step info-json $cli info "$folder/Überführung.dlz" --json
        step stats $cli stats "$folder/run.dl"
        step stats-json $cli stats "$folder/tail.dl" --from 0.5 --to 3 --json
        step export $cli export-csv "$folder/run.dl" -o "$folder/run.csv"
        step export-dlz $cli export-csv "$folder/Überführung.dlz"
        step upgrade $cli upgrade "$folder/old1.dl" "$folder/old3.dl"
        step zero-at $cli zero "$folder/run.dl" --at 2.25 -o "$folder/zero-at.dl"
        step zero-when $cli zero "$folder/run.dl" --when 2 '>' 3000 -o "$folder/zero-when.dl"
        step crop $cli crop "$folder/run.dl" --start 1 --end 4
        step crop-dlz $cli crop "$folder/Überführung.dlz" --start 0.5 -o "$folder/gekürzt.dl"
        step expand $cli expand "$folder/Überführung.dlz"
    )
}

start_linux=$SECONDS
XDG_DOCUMENTS_DIR="$root/$work/linux-docs" \
    run_all linux "$root/$linux/src/quillon-cli" "$root/$linux/tools/quillon-samplegen"
linux_time=$((SECONDS - start_linux))

# Under Wine the documents folder lies in the prefix.
wine_docs=$(find "$WINEPREFIX/drive_c/users" -maxdepth 2 -name Documents -print -quit)
rm -rf "$wine_docs/Brenmor"
start_windows=$SECONDS
run_all windows "$root/scripts/wine-run.sh $root/build/windows/src/quillon-cli.exe" \
    "$root/scripts/wine-run.sh $root/build/windows/tools/quillon-samplegen.exe"
windows_time=$((SECONDS - start_windows))

failed=0
# None of these verbs writes preferences or makes folders in the documents folder.
for docs in "$work/linux-docs/Brenmor" "$wine_docs/Brenmor"; do
    if [ -e "$docs" ]; then
        echo "a command-line verb wrote into $docs" >&2
        failed=1
    fi
done
if ! diff -r -q "$work/linux/$folder" "$work/windows/$folder"; then
    failed=1
fi
files=$(find "$work/linux/$folder" -type f | wc -l)
for f in "$work/linux/$folder"/*.status; do
    if [ "$(cat "$f")" != 0 ]; then
        echo "step $(basename "$f" .status) failed on Linux" >&2
        failed=1
    fi
done
if [ "$failed" -ne 0 ]; then
    echo "the Windows build's outputs differ from the Linux build's (see $work)" >&2
    exit 1
fi
echo "$files files identical; CLI steps: Linux ${linux_time}s, Wine ${windows_time}s"

viewer=build/windows/src/quillon-viewer.exe
if [ -f "$viewer" ]; then
    echo "== windows: the viewer's pictures against Linux"
    scripts/windows-viewer-check.sh
else
    echo "== windows: the viewer is skipped: Qt for Windows is not built" \
        "(scripts/build-qt-windows.sh builds it once per machine, in hours)"
fi

echo "== windows: installer and portable .zip"
(cd build/windows && cpack -G "NSIS;ZIP" >/dev/null)
version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
installer=build/windows/quillon-$version-win64.exe
[ -f "$installer" ] && [ -f "build/windows/quillon-$version-win64.zip" ] ||
    { echo "cpack made no installer or .zip for version $version" >&2; exit 1; }
# A silent install into a folder of its own, the installed programs run from there, then a silent
# uninstall (run in place, so that it is over when it returns) that must leave no program behind.
target="$WINEPREFIX/drive_c/QuillonCheck"
rm -rf "$target"
# A check stopped half-way leaves its installation registered, and the installer would then try
# the vanished uninstaller first and give up.
for hive in HKLM HKCU; do
    scripts/wine-run.sh reg delete \
        "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brenmor Quillon" /f \
        </dev/null >/dev/null 2>&1 || true
done
scripts/wine-run.sh "$installer" /S '/D=C:\QuillonCheck' </dev/null
installed=$(scripts/wine-run.sh 'C:\QuillonCheck\bin\quillon-cli.exe' --version </dev/null | tr -d '\r')
if [ "$installed" != "quillon-cli $version" ]; then
    echo "the installed quillon-cli answered '$installed', not 'quillon-cli $version'" >&2
    exit 1
fi
if [ -f "$viewer" ]; then
    # The installed viewer runs on the Qt it carries: Qt's own folder is kept out of its path.
    installed=$(QUILLON_QT_WINDOWS=/nonexistent scripts/wine-run.sh \
        'C:\QuillonCheck\bin\quillon-viewer.exe' --version </dev/null | tr -d '\r')
    picture="$target/installed.png"
    QUILLON_QT_WINDOWS=/nonexistent scripts/wine-run.sh 'C:\QuillonCheck\bin\quillon-viewer.exe' \
        --screenshot 'C:\QuillonCheck\installed.png' "$work/linux/$folder/run.dl" </dev/null >/dev/null 2>&1 || true
    if [ "$installed" != "quillon-viewer $version" ] || [ ! -s "$picture" ]; then
        echo "the installed viewer did not run: '$installed', picture ${picture}" >&2
        exit 1
    fi
    echo "the installed viewer answered '$installed' and drew the log"
fi
scripts/wine-run.sh 'C:\QuillonCheck\Uninstall.exe' /S '_?=C:\QuillonCheck' </dev/null
if [ -e "$target/bin/quillon-cli.exe" ]; then
    echo "the uninstaller left $target/bin/quillon-cli.exe" >&2
    exit 1
fi
echo "installed silently, ran '$installed', uninstalled; Windows check ${SECONDS}s in all"
