#!/usr/bin/env bash
# Builds Qt for Windows (MinGW-w64, release) once, from Debian's own
# qt6-base source package, the same Qt version as the host's, and installs it
# into ~/.cache/zelkor/qt-6.4-mingw64 (or $ZELKOR_WIN_QT). Only what Zelkor
# uses is built: Core, Gui, Widgets, PrintSupport, the Windows platform
# plugin and the PNG image format. The host's Qt tools (moc, rcc, uic) are
# used through QT_HOST_PATH. Expect about an hour on two cores.
#
# Qt's libraries are DLLs, not static archives: the calendar control is a
# plugin DLL that the program loads by its class id at run time, and a
# plugin can only share the program's Qt when that Qt is itself a DLL. MinGW's
# runtime DLLs (libstdc++, libgcc, winpthread) are shipped beside them.
#
# The source is fetched with `apt-get source` through a private apt
# configuration that adds a deb-src entry (scripts/debian-source.sh); the
# system's sources stay as they are. Debian's source leaves out the Wintab
# headers (their licence forbids changes), so tablet input is not built.
#   scripts/build-windows-qt.sh [--jobs N]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
prefix="${ZELKOR_WIN_QT:-$HOME/.cache/zelkor/qt-6.4-mingw64}"
work="${ZELKOR_WIN_QT_WORK:-$HOME/.cache/zelkor/qt-6.4-mingw64-build}"
jobs=$(nproc)
[ "${1:-}" = "--jobs" ] && jobs=$2

say() { echo "[$(date +%H:%M:%S)] $*"; }

if [ -f "$prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] && [ -f "$prefix/.zelkor-complete" ]; then
  say "Qt for MinGW is already built in $prefix"
  exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix cmake ninja dpkg-source; do
  command -v "$tool" >/dev/null || {
    echo "error: $tool is missing (scripts/install-deps.sh installs g++-mingw-w64-x86-64-posix, cmake, ninja-build, dpkg-dev)" >&2
    exit 1
  }
done
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
[ -n "$host_version" ] || { echo "error: the host's qt6-base-dev is not installed" >&2; exit 1; }
say "host Qt: qt6-base-dev $host_version"

mkdir -p "$work"
# 1. The source package, the host's version, through a private apt
#    configuration.
src=$(ZELKOR_SOURCE_CACHE="$work" "$here/scripts/debian-source.sh" "qt6-base=$host_version")
say "source: $src"

# 2. Configure: static, release, cross to x86_64-w64-mingw32, only the modules used.
build="$work/build"
mkdir -p "$build"
cd "$build"
if [ ! -f build.ninja ]; then
  say "configuring"
  host_cmake=$(dirname "$(dirname "$(find /usr/lib -path '*/cmake/Qt6HostInfo/Qt6HostInfoConfig.cmake' -print -quit 2>/dev/null ||
    find /usr/lib -path '*/cmake/Qt6/Qt6Config.cmake' -print -quit)")")
  cmake -G Ninja "$src" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DINPUT_opengl=dynamic \
    -DFEATURE_concurrent=ON -DFEATURE_testlib=ON -DFEATURE_xml=OFF \
    -DFEATURE_icu=OFF -DFEATURE_system_zlib=OFF -DFEATURE_png=ON -DFEATURE_system_png=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF \
    -DFEATURE_harfbuzz=ON -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_fontconfig=OFF -DFEATURE_directwrite=ON -DFEATURE_directwrite3=ON \
    -DFEATURE_printsupport=ON -DFEATURE_printer=ON -DFEATURE_printdialog=ON -DFEATURE_printpreviewwidget=ON \
    -DFEATURE_accessibility=ON -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF -DFEATURE_sspi=OFF -DFEATURE_schannel=OFF \
    > "$work/configure.log" 2>&1 || { tail -40 "$work/configure.log"; exit 1; }
fi

# 3. Build and install, with progress.
say "building with $jobs jobs (about an hour on two cores)"
cmake --build . --parallel "$jobs" 2>&1 | awk 'BEGIN{n=0} /^\[[0-9]+\/[0-9]+\]/ { split(substr($1,2),a,"/"); if (a[1] % 200 == 0 || a[1]==a[2]) { printf "[%s] %s of %s steps\n", strftime("%H:%M:%S"), a[1], a[2]; fflush() } next } /error|Error/ { print; fflush() }'
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "error: the Qt build failed; see above" >&2; exit 1; }
say "installing into $prefix"
cmake --install . >"$work/install.log" 2>&1 || { tail -20 "$work/install.log"; exit 1; }
touch "$prefix/.zelkor-complete"
say "done: Qt for MinGW in $prefix"
