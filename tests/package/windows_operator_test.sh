#!/usr/bin/env bash
# The Windows installer and the installed program, under wine on a virtual X server:
#   1. a silent install (/S, with /PATH) puts every file of the deploy folder, the
#      Start-menu entries and the program's folder on the PATH in place;
#   2. the installed tarn.exe is driven as an operator drives it, with keys, against
#      tarnsim on COM2 (wine's COM port mapping, no mapping in the program's settings):
#      F5 finds controllers A and C, Enter selects A, F6 uploads its PSF, File Save PSF
#      writes it, Quit; F8 scans, Stop and Cancel leave alignment mode and resume the
#      controllers; SKELDA > Exit ends the program. The frames are read at the simulator and the
#      saved PSF is compared with the one tarnctl (the Linux build) reads from the same
#      simulated controller;
#   3. a silent uninstall leaves no program file behind, takes its folder off the PATH
#      and keeps the user's settings;
#   4. the same for the current user alone (/CurrentUser), in the user's programs folder.
# Every wait is bounded; the search's duration is printed beside its floor. With
# TARN_SHOTS set to a folder, the windows met on the way are saved there as
# windows-*.png (scripts/screenshots-windows.sh).
#
#   windows_operator_test.sh BUILD_DIR TARNSIM TARNCTL
set -euo pipefail
build=$(realpath "$1")
tarnsim=$(realpath "$2")
tarnctl=$(realpath "$3")
repo=$(realpath "$(dirname "$0")/../..")
installer=$(ls "$build"/tarn-*-setup.exe)

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "windows operator test: $*" >&2
    echo "--- windows shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')" >&2
    [ -f "$work/trace" ] && { echo "--- the line, last frames:" >&2; tail -n 20 "$work/trace" >&2; }
    exit 1
}

# The Windows name of a Linux path: wine's drive Z: is the root folder.
winpath() { local path=$1; echo "Z:${path//\//\\}"; }

# waitfor SECONDS COMMAND...: runs COMMAND until it succeeds, for at most SECONDS.
waitfor() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# The X server; its display number comes back through a file descriptor.
exec 5<> <(:)
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -fbdir "$work" >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 display <&5 || fail "Xvfb did not start"
export DISPLAY=":$display"

# The prefix, with COM2 linked to where tarnsim will put its terminal (wine reads its COM
# ports when its server starts).
mkdir -p "$WINEPREFIX"
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w
ln -sfn "$work/tarnsim-com2" "$WINEPREFIX/dosdevices/com2"
"$tarnsim" --object none --controller A,9600 --controller C,38400 --trace \
    --link "$work/tarnsim-com2" >/dev/null 2>"$work/trace" &
pids+=($!)
waitfor 10 test -e "$work/tarnsim-com2" || fail "tarnsim did not start"

# The machine's PATH, as the registry holds it.
machinePath() {
    "$wine" reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' \
        /v Path 2>/dev/null | tr -d '\r' | sed -n 's/^ *Path *REG_[A-Z_]* *//p'
}
pathBefore=$(machinePath)
[ -n "$pathBefore" ] || fail "no PATH in the registry"

# 1. Silent install, for every user (wine's user has administrator rights), with tarnctl
#    on the PATH.
timeout 120 "$wine" "$(winpath "$installer")" /S /PATH || fail "the installer failed"
"$wineserver" -w
[ "$(machinePath)" = "$pathBefore;C:\Program Files\Tarn" ] ||
    fail "the PATH did not gain the program's folder: $(machinePath)"
timeout 60 "$wine" "C:\Program Files\Tarn\tarnctl.exe" --help | grep -q 'tarnctl COMMAND --help' ||
    fail "the installed tarnctl.exe does not run"
target="$WINEPREFIX/drive_c/Program Files/Tarn"
(cd "$build/deploy" && find . -type f) | while read -r file; do
    cmp -s "$build/deploy/$file" "$target/$file" || fail "not installed: $file"
done
[ -f "$target/uninstall.exe" ] || fail "no uninstaller"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/TALVEN VARN 2.1 with Blanking"
for link in "TALVEN VARN 2.1 with Blanking.lnk" "User guide.lnk"; do
    [ -f "$menu/$link" ] || fail "no Start-menu entry $link"
done

# 2. The operator. The settings choose COM2 and keep the settings of this run apart.
settings="$work/tarn.INI"
printf '[Communication]\r\nPort=1\r\n' >"$settings"
TARN_SETTINGS=$(winpath "$settings") "$wine" "C:\\Program Files\\Tarn\\tarn.exe" \
    >/dev/null 2>&1 &
program=$!
pids+=("$program")

window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
shown() { [ -n "$(window "$1")" ]; }
gone() { [ -z "$(window "$1")" ]; }
# keys TITLE KEY...: types the keys once the window of that title shows. Wine hands them
# to its active window, as the keyboard of a desktop would.
keys() {
    waitfor 10 shown "$1" || fail "no window \"$1\""
    shift
    timeout 10 xdotool key --delay 100 "$@" || fail "xdotool could not type $*"
}
hostFrames() { awk '$2 == "host"' "$work/trace"; }
# shot NAME TITLE: with TARN_SHOTS set, saves the window of that title as it shows on the
# screen (Xvfb keeps the screen in a file) to $TARN_SHOTS/windows-NAME.png.
shot() {
    [ -n "${TARN_SHOTS:-}" ] || return 0
    local X Y WIDTH HEIGHT WINDOW SCREEN
    sleep 1  # painted
    eval "$(xdotool getwindowgeometry --shell "$(window "$2")")"
    python3 "$repo/tools/xwd-crop-png.py" "$work/Xvfb_screen0" "$X" "$Y" "$WIDTH" "$HEIGHT" \
        "$TARN_SHOTS/windows-$1.png" || fail "no picture of $2"
}
# The program takes no keys while it talks to the controllers: wait until the line has
# been quiet for a second.
quietForASecond() {
    local before
    before=$(wc -l <"$work/trace")
    sleep 1
    [ "$(wc -l <"$work/trace")" -eq "$before" ]
}
settle() { waitfor 30 quietForASecond || fail "the line did not fall quiet"; }

main="TALVEN VARN 2.1 with Blanking"
waitfor 60 shown "$main" || fail "the program's window did not show"
# Without a window manager the first click activates the program, as on a desktop.
# The keyboard then stays with it (the X focus is set to it) while the pointer leaves.
timeout 10 xdotool mousemove --window "$(window "$main")" 20 200 click 1
timeout 10 xdotool windowfocus --sync "$(window "$main")" mousemove 1279 1023
sleep 1

keys "$main" F5
waitfor 60 shown "$main -- Ping" || fail "the Ping grid did not show after F5"
# The search at the simulator: the suspend broadcast at each rate, a ping of every ID at
# every rate (45), and both controllers answering at their own rates.
[ "$(hostFrames | grep -c ' F8 58 56 0D$')" -eq 3 ] || fail "no suspend broadcast at three rates"
[ "$(hostFrames | grep -Ec ' F8 4[1-9A-F] 50 0D$')" -eq 45 ] || fail "not 45 pings"
grep -Eq '^ *[0-9.]+  A +9600  1C 41 58 0A$' "$work/trace" || fail "A did not answer at 9600"
grep -Eq '^ *[0-9.]+  C +38400  1C 43 58 0A$' "$work/trace" || fail "C did not answer at 38400"
# The search from the first suspend to the end of the last ping's reply window, beside the
# protocol's floor: three broadcasts of 160 ms, a pause of 250 ms, 45 pings of 200 ms.
hostFrames | awk '/ F8 58 56 0D$/ && !first { first = $1 } / 50 0D$/ { last = $1 }
    END { floor = 3 * 160 + 250 + 45 * 200; ms = (last - first) * 1000 + 200;
          printf "search in tarn.exe under wine: %.0f ms, floor %d ms, %.3f x\n", ms, floor, ms / floor }'

shot ping "$main -- Ping"
# The first cell of the grid is A at 9600: Enter selects it.
keys "$main -- Ping" Return
waitfor 10 gone "$main -- Ping" || fail "Enter did not select A"
settle

keys "$main" F6
waitfor 30 shown "$main -- PSF Configuration" || fail "the PSF dialog did not show"
settle
shot psf-configuration "$main -- PSF Configuration"
grep -Eq '  host +9600  F8 41 47 0D$' "$work/trace" || fail "the PSF was not uploaded from A"
saved="$work/A.PSF"
# The file dialog is Windows' own (wine's), a window without a title: one more of those
# shows. Alt+N goes to its file name.
untitled() { xdotool search --onlyvisible --name '^$' 2>/dev/null | wc -l; }
before=$(untitled)
dialogShown() { [ "$(untitled)" -gt "$before" ]; }
keys "$main -- PSF Configuration" alt+s
waitfor 10 dialogShown || fail "no file dialog"
sleep 1
keys "$main -- PSF Configuration" alt+n
timeout 10 xdotool type --delay 40 "$(winpath "$saved")"
timeout 10 xdotool key Return
waitfor 20 test -s "$saved" || fail "File Save PSF wrote nothing"
keys "$main -- PSF Configuration" alt+q
waitfor 10 gone "$main -- PSF Configuration" || fail "Quit did not close the PSF dialog"
settle

"$tarnsim" --object none --controller A,9600 --link "$work/reference-line" >/dev/null 2>&1 &
pids+=($!)
waitfor 10 test -e "$work/reference-line" || fail "the reference tarnsim did not start"
"$tarnctl" --device "$work/reference-line" psf get A@9600 -o "$work/reference.PSF" >/dev/null ||
    fail "tarnctl could not read the reference PSF"
cmp "$saved" "$work/reference.PSF" || fail "the saved PSF differs from the controller's"

keys "$main" F8
waitfor 60 shown "$main -- Alignment" || fail "the alignment dialog did not show"
scanned() { [ "$(hostFrames | grep -c ' F8 41 53$')" -ge 5 ]; }
waitfor 30 scanned || fail "no scans in alignment mode"
shot alignment "$main -- Alignment"
# Stop the scan, then Cancel (Esc): the blanking the session began with is sent, the
# controller leaves alignment mode ('x') and both controllers are resumed ('v').
keys "$main -- Alignment" alt+t
sleep 1
keys "$main -- Alignment" Escape
waitfor 30 gone "$main -- Alignment" || fail "Cancel did not close the alignment dialog"
waitfor 10 bash -c "tail -n 2 '$work/trace' | grep -q ' F8 43 76 0D$'" ||
    fail "the controllers were not resumed after Cancel"
hostFrames | tail -n 3 | head -n 1 | grep -q ' F8 41 78 0D$' || fail "A did not leave alignment mode"
hostFrames | tail -n 2 | head -n 1 | grep -q ' F8 41 76 0D$' || fail "A was not resumed"
settle

shot main-window "$main"
# SKELDA > Exit.
keys "$main" alt+s x
waitfor 30 bash -c "! kill -0 $program 2>/dev/null" || fail "the program did not end"

# 3. Silent uninstall: the user's settings stay.
mkdir -p "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/tarn"
echo kept >"$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/tarn/tarn.INI"
timeout 120 "$wine" "C:\\Program Files\\Tarn\\uninstall.exe" /S || fail "the uninstaller failed"
"$wineserver" -w
waitfor 30 test ! -e "$target" || fail "left behind: $(cd "$target" && find . | head)"
[ ! -e "$menu" ] || fail "the Start-menu entries are left behind"
[ "$(machinePath)" = "$pathBefore" ] || fail "the PATH is not as before: $(machinePath)"
grep -q kept "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/tarn/tarn.INI" ||
    fail "the uninstaller removed the user's settings"

# 4. For the current user alone (as without administrator rights): into the user's own
#    programs folder, and out again.
timeout 120 "$wine" "$(winpath "$installer")" /S /CurrentUser || fail "the per-user install failed"
"$wineserver" -w
own="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Tarn"
[ -f "$own/tarn.exe" ] && [ -f "$own/uninstall.exe" ] || fail "nothing in the user's programs folder"
[ ! -e "$target" ] || fail "a per-user install went to Program Files"
timeout 120 "$wine" "$(winpath "$own/uninstall.exe")" /S /CurrentUser ||
    fail "the per-user uninstaller failed"
"$wineserver" -w
waitfor 30 test ! -e "$own" || fail "left behind in the user's programs folder"

echo "windows operator test passed"
