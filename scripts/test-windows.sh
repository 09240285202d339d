#!/usr/bin/env bash
# Builds everything that is not Qt for Windows with MinGW-w64 in build/win (warnings as
# errors, statically linked; MinGW-w64 has no sanitizers) and runs its tests under wine in
# a prefix of this run's own. The Windows port's tests need tarnsim of a Linux build,
# given as the argument (scripts/test.sh passes its own).
set -euo pipefail
cd "$(dirname "$0")/.."

tarnsim=$(realpath "${1:?usage: scripts/test-windows.sh PATH_TO_TARNSIM}")
scripts/setup.sh

build=build/win
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Debug -DTARN_GUI=OFF -DTARN_WERROR=ON -DTARN_TARNSIM="$tarnsim" \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
scripts/wine-run.sh  # sets the prefix up once, before the programs start side by side
cd "$build" && ctest --output-on-failure -j "$(nproc)"
