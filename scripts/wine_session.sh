#!/usr/bin/env bash
# Runs a command inside a fresh Wine session: a new WINEPREFIX under the
# given folder, a virtual X display, a running wineserver. Tears it all
# down afterwards and exits with the command's code.
#
#   scripts/wine_session.sh FOLDER COMMAND [ARGS...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

folder=$(realpath -m "$1"); shift
mkdir -p "$folder"
export WINEPREFIX="$folder/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
rm -rf "$WINEPREFIX"

# A display of our own; Xvfb picks a free number and tells it on fd 3.
# Without -noreset it would go back to its default keymap whenever its last
# client disconnects, losing a keymap a test set with setxkbmap.
exec 3<> <(:)
displayfile="$folder/display"
rm -f "$displayfile"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$displayfile")"

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb" >/dev/null 2>&1 || true
}
trap cleanup EXIT

set_up_wine_prefix

set +e
"$@"
code=$?
set -e
exit $code
