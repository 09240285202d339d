#!/usr/bin/env bash
# The Qt program for Windows: builds it against the Qt of scripts/setup-qt-windows.sh in
# build/win-gui (with tarnctl, the GUI test program, the deploy folder, its ZIP and the
# installer), runs the GUI test program under wine and the installer and the installed
# program under wine on a virtual X server. The tests need tarnsim and tarnctl of a Linux
# build, named by the argument (tarnsim; tarnctl beside it). Without the Qt cache it says
# so in one line and ends successfully: that build takes long, and is made once.
set -euo pipefail
cd "$(dirname "$0")/.."

tarnsim=$(realpath "${1:?usage: scripts/test-windows-gui.sh PATH_TO_TARNSIM}")
qt=${TARN_QT_WINDOWS:-$HOME/.cache/tarn/qt6-mingw}
if [ ! -f "$qt/tarn-qt-complete" ]; then
    echo "Windows program stage skipped: no Qt for Windows in $qt (build it once with scripts/setup-qt-windows.sh)."
    exit 0
fi
scripts/setup.sh nsis xvfb xdotool

build=build/win-gui
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Qt's own toolchain file finds the Qt for Windows and loads the project's MinGW one.
"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DTARN_GUI=ON -DTARN_WERROR=ON -DTARN_TARNSIM="$tarnsim" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target gui_tests windows_installer

WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
scripts/wine-run.sh
cd "$build"
ctest --output-on-failure -R '^gui_tests$'
# The operator test prints the search's time beside its floor; show that line.
log=$(mktemp)
ctest -V -R '^WindowsOperator$' >"$log" 2>&1 || { cat "$log"; rm -f "$log"; exit 1; }
grep -E 'search in tarn.exe|operator test passed' "$log" | sed 's/^[0-9]*: //'
rm -f "$log"
