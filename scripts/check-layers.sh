#!/usr/bin/env bash
# The layering that the compiler cannot see. The core's include path already keeps a core
# file from naming a GUI header; this catches the rest:
#  - the core, the simulator and tarnctl name no Qt (no Qt header, type or macro), and no
#    core or simulator file climbs out of its tree with a relative include;
#  - the GUI's widgets sit below the dialogs: they include nothing of app/, psf/ or alignment/;
#  - a dialog of psf/ or alignment/ includes of app/ only the session that opens it, never
#    the main frame or another command's session.
# Prints every breach with its file and line; exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

breaches=$(mktemp)
trap 'rm -f "$breaches"' EXIT
breach() {  # breach MESSAGE: each grep line on standard input is a breach
    sed "s|\$|: $1|" >>"$breaches"
}

qt='<Q|\bQ[A-Z][A-Za-z]+\b|\bQ_[A-Z]+|\bQt::|\bqt[A-Z_]'
grep -rnE "$qt" src/core src/sim src/tarnctl | breach "Qt named outside the GUI" || true
grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.\./' src/core src/sim |
    breach "a relative include out of its tree" || true

include_of() {  # include_of FOLDER...: the quoted includes in those folders, as grep lines
    grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$@" || true
}
include_of src/gui/widgets | grep -E '"(app|psf|alignment)/' |
    breach "a widget reaching up into the dialogs or the application" || true

# The session each dialog folder may include: the one that opens its dialogs.
include_of src/gui/psf | grep -E '"app/' | grep -vE '"app/EditPsfSession\.h"' |
    breach "a PSF dialog reaching into the application" || true
include_of src/gui/alignment | grep -E '"app/' |
    grep -vE '"app/(AlignmentSession|DiagnosticsSession)\.h"' |
    breach "an alignment dialog reaching into the application" || true

if [ -s "$breaches" ]; then
    cat "$breaches" >&2
    exit 1
fi
