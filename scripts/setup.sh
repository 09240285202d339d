#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and any further packages
# named as arguments. Quiet and quick when they are already there; asks apt only for what
# is missing.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config dpkg-dev file
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-serialport-dev libgl-dev
    poppler-utils
    ser2net
    g++-mingw-w64-x86-64-posix wine64
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
