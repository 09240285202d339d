#!/usr/bin/env bash
# Renders the program's windows and dialogs on the offscreen platform into docs/images,
# over simulated controllers. Optional arguments name the pictures to make.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target screenshots
QT_QPA_PLATFORM=offscreen "$build/tools/screenshots" docs/images "$@"
