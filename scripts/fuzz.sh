#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a bounded time over its seed corpus.
# Installs clang when it is missing. FUZZ_SECONDS sets the time per target (default
# 20); FUZZ_BUILD the build folder (default build/fuzz). Inputs found along the way are
# kept in the build folder, never in the repository; a failing input is left in
# <build>/fuzz-artifacts and ends the script with an error.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh clang-14 libclang-rt-14-dev

seconds=${FUZZ_SECONDS:-20}
build=${FUZZ_BUILD:-build/fuzz}
targets=(scan_reply diagnostics psf psf_checked bfs bfs_checked settings telnet file)
# The corpus each target starts from; the checked twins share their format's seeds.
declare -A seeds=([psf_checked]=psf [bfs_checked]=bfs)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_SANITIZE=ON \
    -DTARN_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

# The PSF and settings targets write files; a memory file system spares the disk.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
summary=()
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    log="$build/fuzz-$target.log"
    mkdir -p "$corpus"
    echo "Fuzzing $target for ${seconds} s"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$artifacts/$target-" -print_final_stats=1 \
        "$corpus" "fuzz/corpus/${seeds[$target]:-$target}" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz_$target failed; the input is in $artifacts"
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    summary+=("$(printf '%-12s %10s executions' "$target" "$runs")")
done
printf '%s\n' "${summary[@]}"
