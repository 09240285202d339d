#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a bounded time over its seed corpus.
# Installs clang when it is missing. FUZZ_SECONDS sets the time per target (default
# 20); FUZZ_BUILD the build folder (default build/fuzz); FUZZ_WORKERS the processes per
# target (default: one per core). Inputs found along the way are
# kept in the build folder, never in the repository; a failing input is left in
# <build>/fuzz-artifacts and ends the script with an error.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh clang-14 libclang-rt-14-dev

seconds=${FUZZ_SECONDS:-20}
repo=$(pwd)
build=$(realpath -m "${FUZZ_BUILD:-build/fuzz}")
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
# Each target runs as one worker per core (the sweep runs alone in the test command); the
# workers share the target's corpus, each taking up what the others found.
workers=${FUZZ_WORKERS:-$(nproc)}
summary=()
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    logs="$build/fuzz-logs/$target"
    rm -rf "$logs"
    mkdir -p "$corpus" "$logs"
    echo "Fuzzing $target for ${seconds} s ($workers workers)"
    # Each worker logs to fuzz-<n>.log in the folder it starts in.
    if ! (cd "$logs" && "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
        -jobs="$workers" -workers="$workers" -artifact_prefix="$artifacts/$target-" \
        -print_final_stats=1 "$corpus" "$repo/fuzz/corpus/${seeds[$target]:-$target}" \
        >/dev/null 2>&1); then
        tail -n 40 "$logs"/fuzz-*.log
        echo "fuzz_$target failed; the input is in $artifacts"
        exit 1
    fi
    runs=($(sed -n 's/^stat::number_of_executed_units: *//p' "$logs"/fuzz-*.log))
    total=0
    for count in "${runs[@]}"; do total=$((total + count)); done
    summary+=("$(printf '%-12s %10s executions (%s)' "$target" "$total" "$(IFS=+; echo "${runs[*]}")")")
done
printf '%s\n' "${summary[@]}"
