#!/usr/bin/env bash
# Runs a Windows program under wine64, the way CTest runs the Windows build's tests. Uses
# the caller's WINEPREFIX when set (the test command makes one for the whole run), else a
# fresh prefix in a temporary folder, removed afterwards.
set -uo pipefail
wine=/usr/lib/wine/wine64  # Debian's loader, not on the PATH
[ -x "$wine" ] || wine=$(command -v wine64)
wineserver=$(dirname "$wine")/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
if [ -n "${WINEPREFIX:-}" ]; then
    exec "$wine" "$@"
fi
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
"$wine" "$@"
result=$?
"$wineserver" -k 2>/dev/null
rm -rf "$WINEPREFIX"
exit $result
