#!/usr/bin/env bash
# Pictures of the Windows program under wine for the user guide's Windows section: runs
# the installer test (tests/package/windows_operator_test.sh), which installs tarn.exe
# and drives it on a virtual X server, and keeps the windows it meets as
# docs/images/windows-*.png. Needs the Qt of scripts/setup-qt-windows.sh; builds
# build/win-gui and tarnsim and tarnctl in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."

qt=${TARN_QT_WINDOWS:-$HOME/.cache/tarn/qt6-mingw}
[ -f "$qt/tarn-qt-complete" ] || { echo "No Qt for Windows: run scripts/setup-qt-windows.sh first." >&2; exit 1; }
scripts/setup.sh nsis xvfb xdotool python3
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARN_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target tarnsim tarnctl
"$qt/bin/qt-cmake" -S . -B build/win-gui -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DTARN_GUI=ON >/dev/null
cmake --build build/win-gui --target windows_installer
TARN_SHOTS=$PWD/docs/images tests/package/windows_operator_test.sh build/win-gui \
    build/release/bin/tarnsim build/release/bin/tarnctl
ls docs/images/windows-*.png
