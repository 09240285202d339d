#!/usr/bin/env bash
# Sets everything up, builds with AddressSanitizer and UndefinedBehaviorSanitizer and
# warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build=build/test
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARN_SANITIZE=ON -DTARN_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The Qt layer stays free of POSIX calls, for its Windows build; the layers stay apart.
scripts/check-qt-portable.sh
scripts/check-layers.sh

# Every parser of outside bytes is fuzzed for a bounded time (seconds per target).
FUZZ_SECONDS=${FUZZ_SECONDS:-10} scripts/fuzz.sh

(cd "$build" && ctest --output-on-failure -j "$(nproc)")

# Everything that is not Qt, built for Windows and tested under wine; the Windows port's
# tests drive the tarnsim built above.
scripts/test-windows.sh "$build/bin/tarnsim"

# The Qt program for Windows, its installer and the program driven under wine, when the Qt
# for Windows is in its cache (scripts/setup-qt-windows.sh); else one line says so.
scripts/test-windows-gui.sh "$build/bin/tarnsim"
