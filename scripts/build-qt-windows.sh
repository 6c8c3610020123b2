#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows from Debian's own source packages with the MinGW-w64 compiler,
# once per machine: qtbase (Core, Gui, Widgets, Test and the Windows platform plugin) and qtsvg,
# installed into a cache folder outside the source tree. The machine's own Qt (the same 6.4.2)
# serves as the host Qt for moc, rcc and uic. Network, SQL, OpenGL, D-Bus, tests and examples are
# left out: the viewer does not use them. Qt's bundled zlib, libpng, PCRE2, HarfBuzz and
# FreeType are used where Debian's source still has them; a feature whose library is missing is
# turned off.
# Usage: scripts/build-qt-windows.sh [PREFIX]   (default ~/.cache/quillon/qt-6.4.2-mingw)
# Run niced when other work shares the machine: `nice -n 19 scripts/build-qt-windows.sh`.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
prefix=${1:-${QUILLON_QT_WINDOWS:-$HOME/.cache/quillon/qt-6.4.2-mingw}}
work=${QUILLON_QT_WORK:-$HOME/.cache/quillon/qt-windows-work}
jobs=${JOBS:-$(nproc)}

if [ -f "$prefix/.complete" ]; then
    echo "Qt for Windows is already in $prefix"
    exit 0
fi

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Tools: the cross compiler, the host Qt tools, and dpkg-source to unpack the source packages.
need=()
for pkg in g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools qt6-svg-dev dpkg-dev ninja-build cmake; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo_if_needed apt-get update -qq
    sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

# Source entries for the same archive the machine installs from.
src_list=/etc/apt/sources.list.d/quillon-qt-src.sources
if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
    tmp=$(mktemp)
    for f in /etc/apt/sources.list.d/*.sources; do
        [ "$f" = "$src_list" ] && continue
        sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/p; /^\(URIs\|Suites\|Components\|Signed-By\):/p; /^$/p' "$f"
    done >"$tmp"
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"${tmp}.list"
        [ -s "${tmp}.list" ] && sudo_if_needed cp "${tmp}.list" /etc/apt/sources.list.d/quillon-qt-src.list
        rm -f "${tmp}.list"
    fi
    [ -s "$tmp" ] && sudo_if_needed cp "$tmp" "$src_list"
    rm -f "$tmp"
    sudo_if_needed apt-get update -qq
fi

mkdir -p "$work"
cd "$work"
# qtsvg is optional: when the archive does not serve its source, the Windows viewer is built
# without SVG export.
for pkg in qt6-base qt6-svg; do
    if ! ls -d "$pkg"-*/ >/dev/null 2>&1; then
        echo "== fetching the source of $pkg"
        apt-get source -qq "$pkg" || [ "$pkg" = qt6-svg ] ||
            { echo "the source of $pkg could not be fetched" >&2; exit 1; }
    fi
done
base_src=$(ls -d "$work"/qt6-base-*/ | head -1)
svg_src=$(ls -d "$work"/qt6-svg-*/ 2>/dev/null | head -1 || true)

# Debian's source leaves out the Wintab headers (their licence forbids changes), which the Windows
# platform plugin's tablet support includes: the plugin is built without Wintab (a pen still
# works as a pointer). The viewer takes no tablet input.
plugin="$base_src/src/plugins/platforms/windows"
if [ ! -f "$base_src/src/3rdparty/wintab/wintab.h" ] &&
    grep -q 'QT_CONFIG(tabletevent)' "$plugin"/qwindowscontext.cpp; then
    sed -i 's/QT_CONFIG(tabletevent)/0/' "$plugin"/qwindowscontext.cpp \
        "$plugin"/qwindowspointerhandler.cpp "$plugin"/qwindowspointerhandler.h
    sed -i 's/CONDITION QT_FEATURE_tabletevent$/CONDITION FALSE/' "$plugin"/CMakeLists.txt
fi
# Without OpenGL, Qt 6.4.2's Windows plugin still takes the dynamic-OpenGL branch (a feature that
# stays on): that branch is kept for builds with OpenGL only.
if ! grep -q 'QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)' "$plugin"/qwindowswindow.cpp; then
    sed -i 's/#if QT_CONFIG(dynamicgl)/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$plugin"/qwindowswindow.cpp
fi
# Qt's Gui builds its DirectWrite font database only with Direct2D (left out here), while the
# plugin asks for it whenever DirectWrite 3 is there: the plugin then keeps to the GDI fonts.
if ! grep -q 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$plugin"/qwindowsintegration.cpp; then
    sed -i 's/#if QT_CONFIG(directwrite3)/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
        "$plugin"/qwindowsintegration.cpp
fi

# The toolchain: shared Qt libraries, so the viewer's folder carries its DLLs as Windows
# programs do; the compiler's own runtime is linked statically into each DLL.
cat >"$work/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic -lwinpthread -Wl,-Bdynamic")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic -lwinpthread -Wl,-Bdynamic")
EOF

host=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
start=$(date +%s)

echo "== qtbase: configure"
cmake -G Ninja -S "$base_src" -B "$work/build-qtbase" \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" "${host[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_system_doubleconversion=OFF \
    -DINPUT_openssl=no

echo "== qtbase: build"
cmake --build "$work/build-qtbase" -j "$jobs"
cmake --install "$work/build-qtbase"

if [ -z "$svg_src" ]; then
    echo "qtsvg's source is not available here: Qt for Windows is built without it"
else
    echo "== qtsvg: configure and build"
    cmake -G Ninja -S "$svg_src" -B "$work/build-qtsvg" \
        -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" "${host[@]}" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    cmake --build "$work/build-qtsvg" -j "$jobs"
    cmake --install "$work/build-qtsvg"
fi

# The compiler's runtime DLLs that Qt's libraries and plugins still import, beside Qt's own.
for dll in libwinpthread-1.dll libstdc++-6.dll libgcc_s_seh-1.dll; do
    for candidate in /usr/x86_64-w64-mingw32/lib/$dll /usr/lib/gcc/x86_64-w64-mingw32/*-posix/$dll; do
        if [ -f "$candidate" ]; then
            cp "$candidate" "$prefix/bin/"
            break
        fi
    done
    [ -f "$prefix/bin/$dll" ] || { echo "the compiler's $dll was not found" >&2; exit 1; }
done

echo "built in $(( ($(date +%s) - start) / 60 )) minutes" | tee "$prefix/.complete"
echo "Qt for Windows installed in $prefix (the windows preset finds it there)"
cd "$root"
