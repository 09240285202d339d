#!/usr/bin/env bash
# Sets everything up, builds the program and runs it.
#
#   scripts/run.sh                         against simulated controllers (tarnsim)
#   scripts/run.sh --device /dev/ttyUSB0   against the controllers on a real adapter
#
# Either way the program gets a settings file of its own in a temporary folder, with COM2
# mapped to the line, so the operator's own settings are neither read nor changed. The
# simulated line holds three controllers: A at 9600 baud, C at 38400 baud (receiver
# channel 17 of board 1 in error) and F at 19200 baud. Press F5 to find them.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    sed -n '2,10s/^# \{0,1\}//p' "$0"
}

device=""
while [ $# -gt 0 ]; do
    case "$1" in
        --device)
            [ $# -ge 2 ] || { usage >&2; exit 2; }
            device="$2"
            shift 2
            ;;
        --device=*)
            device="${1#--device=}"
            shift
            ;;
        -h | --help)
            usage
            exit 0
            ;;
        *)
            echo "run.sh: unknown argument: $1" >&2
            usage >&2
            exit 2
            ;;
    esac
done

scripts/setup.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target tarn tarnsim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are empty); the program needs one." >&2
fi

config=$(mktemp -d "${TMPDIR:-/tmp}/tarn-run.XXXXXX")
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$config"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "$device" ]; then
    device="$config/COM2"
    "$build/bin/tarnsim" --link "$device" \
        --controller A,9600,emitters=2,receivers=2,part=104512,date=2407 \
        --controller C,38400,error=r:1:17 \
        --controller F,19200,emitters=3,receivers=3 \
        >"$config/tarnsim.out" 2>"$config/tarnsim.err" &
    sim_pid=$!
    # tarnsim makes the link once its pseudo-terminal is ready.
    for _ in $(seq 50); do
        [ -e "$device" ] && break
        if ! kill -0 "$sim_pid" 2>/dev/null; then
            cat "$config/tarnsim.err" >&2
            exit 1
        fi
        sleep 0.1
    done
    [ -e "$device" ] || { echo "run.sh: tarnsim did not start" >&2; exit 1; }
    echo "Simulated controllers on $(head -n 1 "$config/tarnsim.out"), mapped to COM2:"
    sed 's/^tarnsim: /  /' "$config/tarnsim.err"
else
    [ -e "$device" ] || { echo "run.sh: no such device: $device" >&2; exit 1; }
    echo "Controllers on $device, mapped to COM2."
fi

cat >"$config/tarn.INI" <<EOF
[Ports]
COM2=$device

[Communication]
Port=1

[Parity]
Setting=69

[Options]
Save=1

[PartNumbers]
Standard=104512
Heated=204512
EOF

echo "Settings: $config/tarn.INI (removed when the program ends). Press F5 to find the controllers."
TARN_SETTINGS="$config/tarn.INI" "$build/bin/tarn"
