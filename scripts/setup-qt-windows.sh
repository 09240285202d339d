#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows with MinGW-w64 from Debian's own sources of qt6-base, the
# version of the host's Qt tools (which a cross build of Qt needs), and installs it into a
# cache folder outside the repository: $TARN_QT_WINDOWS, by default ~/.cache/tarn/qt6-mingw.
# Static, with only what the program uses: Core, Gui, Widgets, PrintSupport, Test, the
# windows and offscreen platform plugins. Returns at once when the cache is complete.
#
# The sources come through a private apt configuration (its own deb-src list, state and
# cache in the work folder); the system's package lists are never changed.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

prefix=${TARN_QT_WINDOWS:-$HOME/.cache/tarn/qt6-mingw}
stamp="$prefix/tarn-qt-complete"
if [ -f "$stamp" ]; then
    echo "Qt for Windows is ready in $prefix ($(cat "$stamp"))."
    exit 0
fi

scripts/setup.sh dpkg-dev xz-utils
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
upstream=${host_version%%+*}
upstream=${upstream#*:}

work=${TARN_QT_WINDOWS_WORK:-$HOME/.cache/tarn/qt6-mingw-build}
mkdir -p "$work"
cd "$work"
started=$(date +%s)

# Debian's sources of the host's qt6-base, from the mirror the system already uses.
if [ ! -d "qtbase-everywhere-src-$upstream" ]; then
    uri=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
    [ -n "$uri" ] || uri=http://deb.debian.org/debian
    suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    cat >src.sources <<EOF
Types: deb-src
URIs: $uri
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    mkdir -p apt/lists/partial apt/cache/archives/partial
    apt_private=(-o "Dir::Etc::sourcelist=$work/src.sources" -o Dir::Etc::sourceparts=-
                 -o "Dir::State::lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache")
    apt-get "${apt_private[@]}" -qq update
    apt-get "${apt_private[@]}" -qq source --download-only "qt6-base=$host_version"
    tar xf "qt6-base_$upstream"*.orig.tar.xz
fi

# The project's MinGW toolchain, but without its -static link flag and its wine emulator:
# Qt's own configuration checks link and run nothing under wine.
cat >toolchain.cmake <<EOF
include($repo/cmake/mingw-w64.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
unset(CMAKE_CROSSCOMPILING_EMULATOR)
EOF

# Debian's sources leave out the tablet library (wintab), so tablet events are off; with
# OpenGL off, dynamic OpenGL must be switched off too or the platform plugin fails to build.
build=build
cmake -S "qtbase-everywhere-src-$upstream" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_network=OFF -DFEATURE_concurrent=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_doubleconversion=OFF >configure.log
cmake --build "$build" -j "$(nproc)"
cmake --install "$build" >/dev/null

minutes=$(( ($(date +%s) - started + 59) / 60 ))
echo "Qt $upstream for Windows built in $minutes min" >"$stamp"
echo "Qt $upstream for Windows built in $minutes min into $prefix ($(du -sh "$prefix" | cut -f1))."
echo "The build folder $work may be removed."
