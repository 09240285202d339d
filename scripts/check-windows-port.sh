#!/usr/bin/env bash
# Compiles the Windows serial port and the network port with its Winsock sockets, with
# the core files they build on and the settings files, using the MinGW-w64 cross
# compiler, so that the Windows port cannot silently stop building. Installs the cross
# compiler when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh g++-mingw-w64-x86-64-posix
compiler=x86_64-w64-mingw32-g++-posix

sources=(
    src/serial/Clock.cpp
    src/serial/ComPort.cpp
    src/serial/IdleHook.cpp
    src/serial/NetworkAddress.cpp
    src/serial/NetworkPort.cpp
    src/serial/PortSettings.cpp
    src/serial/RS232.cpp
    src/serial/Telnet.cpp
    src/serial/comport_win32.cpp
    src/serial/socket_win32.cpp
    src/app/PortFactory.cpp
    src/app/PortMapping.cpp
    src/app/SettingsFile.cpp
    src/app/SettingsPath.cpp
)

objects=$(mktemp -d)
trap 'rm -rf "$objects"' EXIT
for source in "${sources[@]}"; do
    "$compiler" -std=c++20 -Wall -Wextra -Wpedantic -Werror -Isrc \
        -c "$source" -o "$objects/$(basename "$source").o"
done
echo "Windows serial port compiles (${#sources[@]} files)"
