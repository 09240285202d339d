#!/usr/bin/env bash
# Renders windows of the Windows build under wine (Qt's Windows platform, on a virtual X
# server) into docs/images/windows-*.png, for the user guide's Windows section. Needs the
# Qt of scripts/setup-qt-windows.sh; builds the screenshot program in build/win-gui.
# Optional arguments name the pictures (default: main window, Ping, PSF, alignment).
set -euo pipefail
cd "$(dirname "$0")/.."

qt=${TARN_QT_WINDOWS:-$HOME/.cache/tarn/qt6-mingw}
[ -f "$qt/tarn-qt-complete" ] || { echo "No Qt for Windows: run scripts/setup-qt-windows.sh first." >&2; exit 1; }
scripts/setup.sh xvfb
build=build/win-gui
"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DTARN_GUI=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target screenshots

out=$(mktemp -d)
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb"; /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX" "$out"' EXIT
exec 5<> <(:)
Xvfb -displayfd 5 -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 display <&5
[ $# -gt 0 ] || set -- MainWindow PingDlg PsfDlg AlignmentDlg
DISPLAY=":$display" QT_QPA_PLATFORM=windows \
    scripts/wine-run.sh "$build/tools/screenshots.exe" "Z:$out" "$@" >/dev/null
for picture in "$out"/*.png; do
    cp "$picture" "docs/images/windows-$(basename "$picture")"
    echo "docs/images/windows-$(basename "$picture")"
done
