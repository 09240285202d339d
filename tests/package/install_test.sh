#!/usr/bin/env bash
# Builds the Debian package of this build, unpacks it into a temporary root, checks the
# files it holds, and starts the installed tarn (offscreen) to see that it runs.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

cd "$build"
cpack -G DEB -B "$root/out" >/dev/null
deb=$(ls "$root"/out/*.deb)
dpkg-deb -x "$deb" "$root/install"

for file in usr/bin/tarn usr/bin/tarnsim usr/bin/tarnctl usr/share/man/man1/tarnctl.1 usr/share/applications/tarn.desktop \
            usr/share/icons/hicolor/48x48/apps/tarn.png \
            usr/share/icons/hicolor/256x256/apps/tarn.png \
            usr/share/doc/tarn/user-guide.md usr/share/doc/tarn/images/main-window.png; do
    [ -e "$root/install/$file" ] || { echo "missing from the package: $file"; exit 1; }
done
grep -q '^Exec=tarn$' "$root/install/usr/share/applications/tarn.desktop"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt dependency"; exit 1; }
# The terms: named in the package's control data and in its copyright file.
# (read whole first: grep -q ending early would fail the pipe under pipefail)
info=$(dpkg-deb -I "$deb")
grep -q 'License: GPL-3.0-or-later' <<<"$info" || { echo "no licence in the package data"; exit 1; }
grep -q '^License: GPL-3.0-or-later$' "$root/install/usr/share/doc/tarn/copyright" ||
    { echo "no licence in the copyright file"; exit 1; }
grep -q 'GNU GENERAL PUBLIC LICENSE' "$root/install/usr/share/doc/tarn/LICENSE" ||
    { echo "no licence text in the package"; exit 1; }

# The installed program must come up and keep running until it is told to end; it gets
# its own settings file so that nothing of the user's is read or written.
export QT_QPA_PLATFORM=offscreen
export TARN_SETTINGS="$root/tarn.INI"
status=0
timeout -s TERM 3 "$root/install/usr/bin/tarn" >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || { echo "installed tarn ended early with status $status"; exit 1; }
"$root/install/usr/bin/tarnsim" --help >/dev/null
"$root/install/usr/bin/tarnctl" --help | grep -q 'tarnctl COMMAND --help'
status=0
"$root/install/usr/bin/tarnctl" --device "$root/no-such-tty" diag C@19200 2>/dev/null || status=$?
[ "$status" -eq 3 ] || { echo "installed tarnctl answered $status for a missing port"; exit 1; }
echo "package install test passed"
