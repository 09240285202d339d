#!/usr/bin/env bash
# The Qt layer is built for Windows too, where there are no POSIX headers: no file that
# includes Qt may include one, unless the file is named for its platform (*_posix.*).
set -euo pipefail
cd "$(dirname "$0")/.."

posix='(unistd|fcntl|termios|poll|pwd|grp|dirent|spawn|pthread|dlfcn|sched|pty|sys/[a-z_]+)\.h'
found=0
while IFS= read -r file; do
    case "$file" in *_posix.*) continue ;; esac
    if grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<$posix>" "$file"; then
        echo "$file: a POSIX header in a Qt file" >&2
        found=1
    fi
done < <(grep -rlE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' src tools --include='*.cpp' --include='*.h')
exit $found
