#!/usr/bin/env bash
# Ctrl+Esc, pressed by the user while mirlow.exe plays by itself, ends the
# playback as the system's cancel keys end a journal: the interruption
# warning appears, the log says so, and the unattended run ends with the
# cancelled code; also after the system took the watcher's hooks away.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/cancel.log"
rm -f "$log"
use_log_file "$log" 1
script="$E2E_WORK/long.mrx"
printf '%s\r\n' "WAIT 30" "message=WM_KEYDOWN paramH=0 paramL=65 time=100" >"$script"

# A window of our own to hold the keyboard focus while the keys are pressed.
keys_seen="$E2E_WORK/keys.txt"
timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$keys_seen")" 1000 30000 \
    >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"

# The system's journal is offered first, as on a system not known to
# leave it uncalled: after a second it is given up for injected input.
PROBE_CONTROLS="control try-journal" start_mirlow "$(winpath "$script")"
wait_for_line_containing "$log" "was not called within 1000 ms; playing through injected input" 15 \
    || fail "playback did not start through injected input after the silent journal"
target=$(xdotool search --name '^Mirlow Key Timer$' | head -n1)
xdotool windowfocus --sync "$target" && xdotool key ctrl+Escape || fail "cannot press Ctrl+Esc"

text=$(probe wait-box "0 Playbacks Completed" 15000) || fail "no interruption warning"
[ "${text%%$'\n'*}" = "Windows is forcing Mirlow to stop recording and playing." ] \
    || fail "warning says '$text'"
probe press "0 Playbacks Completed" 1 || fail "cannot close the warning"
wait_exit 20
[ "$EXIT_CODE" = "4" ] || fail "exit code $EXIT_CODE, expected 4 (cancelled)"
expect_lines_in_order "$log" "through injected input" "CANCELLED RECORDING"
echo "Ctrl+Esc cancels an emulated playback: ok"

# The watcher's hooks taken away at once, as the system takes away hooks
# that answer too slowly: the input the system then sees and they do not
# has them installed again, and Ctrl+Esc still ends the playback.
rm -f "$log"
PROBE_CONTROLS="control drop-cancel-hooks" start_mirlow "$(winpath "$script")"
wait_for_line_containing "$log" "through injected input" 15 || fail "no playback"
# A click gives the key timer the keyboard again (the box took it).
read -r left top right bottom < <(probe rect "-:Mirlow Key Timer") || fail "no key timer rect"
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1 key shift ||
    fail "cannot click and press Shift"
sleep 2
xdotool key ctrl+Escape || fail "cannot press Ctrl+Esc"
probe wait-box "0 Playbacks Completed" 15000 >/dev/null || fail "no warning: the hooks stayed away"
probe press "0 Playbacks Completed" 1 || fail "cannot close the warning"
wait_exit 20
[ "$EXIT_CODE" = "4" ] || fail "exit code $EXIT_CODE after the hooks came back, expected 4"
kill "$timer" 2>/dev/null
use_log_file "" 0
echo "the watcher's hooks taken away come back, and Ctrl+Esc works: ok"
