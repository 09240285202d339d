#!/usr/bin/env bash
# Times the whole controller search through the Windows serial port under wine, against
# tarnsim on COM7 (controllers A at 9600, C at 38400 and H at 19200 baud), and prints it
# beside the protocol's floor. Builds tarnsim in build/release and the benchmark in
# build/win.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARN_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target tarnsim
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Debug -DTARN_GUI=OFF >/dev/null
cmake --build build/win --target bench_search_port

WINEPREFIX=$(mktemp -d)
export WINEPREFIX
sim=""
trap '[ -n "$sim" ] && kill "$sim"; /usr/lib/wine/wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
scripts/wine-run.sh
link="$WINEPREFIX/tarnsim-com7"
build/release/bin/tarnsim --object none --controller A,9600 --controller C,38400 \
    --controller H,19200 --link "$link" >/dev/null 2>&1 &
sim=$!
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
scripts/wine-run.sh build/win/bench/bench_search_port.exe '\\.\COM7'
