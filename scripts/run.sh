#!/usr/bin/env bash
# Sets everything up, builds the program and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"
echo "Built the core library and its tests in $build; the desktop program is not part of this build yet."
