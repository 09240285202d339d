#!/usr/bin/env bash
# Runs a Windows program under wine64, the way CTest runs the Windows build's tests. Uses
# the caller's WINEPREFIX when set (the test command makes one for the whole run), else a
# fresh prefix in a temporary folder, removed afterwards.
#
# Wine finds its COM ports when its server starts, so COM7 and COM17 are linked here, into
# a new prefix before the program's start, to $WINEPREFIX/tarnsim-com7 and -com17, where
# the Windows port tests start tarnsim. Without a program it only prepares the caller's prefix, so that
# programs started side by side do not each set it up.
set -uo pipefail
wine=/usr/lib/wine/wine64  # Debian's loader, not on the PATH
[ -x "$wine" ] || wine=$(command -v wine64)
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEDEBUG=${WINEDEBUG:--all}

own=""
if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$(mktemp -d)
    export WINEPREFIX
    own=1
fi
if [ ! -L "$WINEPREFIX/dosdevices/com7" ]; then
    "$wine" wineboot --init >/dev/null 2>&1
    "$wineserver" -w
    ln -sfn "$WINEPREFIX/tarnsim-com17" "$WINEPREFIX/dosdevices/com17"
    ln -sfn "$WINEPREFIX/tarnsim-com7" "$WINEPREFIX/dosdevices/com7"
fi
if [ -z "$own" ]; then
    [ $# -eq 0 ] && exit 0
    exec "$wine" "$@"
fi
"$wine" "$@"
result=$?
"$wineserver" -k >/dev/null 2>&1
rm -rf "$WINEPREFIX"
exit $result
